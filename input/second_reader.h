// The second thread of the two-thread reading of plain rows, kept from one chunk to the
// next with the room for its values. A thread woken from sleep can take most of a
// millisecond to run again, longer than reading half a chunk; so between chunks the
// thread first waits awake for a while (a spin of about half a millisecond), then asleep.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <string_view>
#include <thread>

#include "input/plain_row.h"

namespace polylsq::input {

// Whether this process may run on two cores at once: without, a second thread only takes
// turns with the first.
bool second_core_available();

class SecondReader {
 public:
  SecondReader() = default;
  ~SecondReader();  // waits for a reading under way, then ends the thread
  SecondReader(const SecondReader&) = delete;
  SecondReader& operator=(const SecondReader&) = delete;

  // Starts scan_plain_rows_into(bytes, form, most_rows, columns()) on the thread, which is
  // started with the first call; false (nothing started) when no thread can be had. The
  // bytes and the form must outlive finish() or abandon().
  bool start(std::string_view bytes, const PlainRowForm& form, std::size_t most_rows);

  // Waits for the reading started; its rows, or what it threw, rethrown.
  PlainRun finish();

  // Waits for the reading started and drops its result.
  void abandon() noexcept;

  // The values of the last reading; the caller may read into them again itself.
  PlainColumns& columns() { return columns_; }

 private:
  void serve();
  void wait_for_done() noexcept;

  std::thread thread_;
  std::atomic<std::uint32_t> posted_{0};  // readings started, the ending counted as one
  std::atomic<std::uint32_t> done_{0};    // readings done
  bool ending_ = false;
  // The reading posted and its result.
  std::string_view bytes_;
  PlainRowForm form_;
  std::size_t most_rows_ = 0;
  PlainRun run_;
  std::exception_ptr failure_;
  PlainColumns columns_;
};

}  // namespace polylsq::input
