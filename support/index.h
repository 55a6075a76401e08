// 1-based views of the library's arrays, so that formulas read as written.
//
//   Mat x(data, ldx):  x(i, j) is data[(i-1) + (j-1)*ldx]   (column-major)
//
//        j=1      j=2
//   i=1  data[0]  data[ldx]
//   i=2  data[1]  data[ldx+1]
//   ...
//   Vec v(data, inc):  v(k) is data[(k-1)*inc]              (strided vector)
//
// The views hold a pointer and a stride; they never own or check storage.
#pragma once

#include <cstddef>

namespace polylsq {

template <class T>
class Mat {
 public:
  Mat(T* data, int ld) : data_(data), ld_(ld) {}
  T& operator()(std::ptrdiff_t i, std::ptrdiff_t j) const {
    return data_[(i - 1) + (j - 1) * static_cast<std::ptrdiff_t>(ld_)];
  }
  // Address of element (i, j): the first element of a column or row passed on.
  T* at(std::ptrdiff_t i, std::ptrdiff_t j) const { return &(*this)(i, j); }

 private:
  T* data_;
  int ld_;
};

template <class T>
class Vec {
 public:
  explicit Vec(T* data, int inc = 1) : data_(data), inc_(inc) {}
  T& operator()(std::ptrdiff_t k) const { return data_[(k - 1) * static_cast<std::ptrdiff_t>(inc_)]; }
  T* at(std::ptrdiff_t k) const { return &(*this)(k); }

 private:
  T* data_;
  int inc_;
};

template <class T> Mat(T*, int) -> Mat<T>;
template <class T> Vec(T*, int) -> Vec<T>;
template <class T> Vec(T*) -> Vec<T>;

}  // namespace polylsq
