// The bad-argument matrix: every export of a loaded study library as a row of argument
// kinds, called around one valid baseline call with each argument varied on its own.
//
// A row names the export and gives, per argument, its kind and baseline (an int, a date, a
// text, an error buffer of the library's bound, a slot block of the documented count, a
// host study object, ...). RunRow makes the baseline call, then one call per bad value of
// each argument with the others at their baseline, then the call with every pointer null.
// Every buffer the export may write (error texts, slot blocks, single ints and floats) sits
// between guard bytes in memory of its own; after each call the guards, the untouched half
// of every slot and the zero end of every written text are checked. A row's null results
// (each pointer null on its own, then all at once) are returned so that the test can hold
// them against the documented failure values.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/testing/loaded_library.h"

struct IHostStudy;

namespace matrix {

enum class Kind {
  Int,       // any int: 0, -1, 1, INT_MIN, INT_MAX
  Date,      // host date: the int values and 0, 899999, 900000, 1991231, 3000101
  Time,      // HHMM: the int values and -1, 2400, 9999
  Float,     // NaN, +-inf, -0.0, FLT_MAX, denormals
  Text,      // read-only text: null, "", 1 char, 10,000 chars, non-ASCII
  TextBuf,   // text the export reads and may write back (bound `size`): as Text, guarded
  ErrBuf,    // error text written by the export, at most `size` bytes: null or guarded
  IntIn,     // pointer to one int that is read: null, or extreme values
  IntInOut,  // pointer to one int that is read and written: as IntIn, guarded
  FloatOut,  // pointer to one float that is written: null or guarded
  SlotsIn,   // read-only slot block of `size` slots: null, all NaN, extremes
  SlotsOut,  // slot block of `size` slots read and written: as SlotsIn, guarded
  Study,     // host study object: null, failing calls, missing objects, wrong types
  Opaque,    // a pointer the caller got from the library: only null is tried
};

bool IsPointer(Kind kind);

// One argument: its kind and baseline. `size` is the byte bound of a text buffer or the
// slot count of a block; `slots` the baseline slot values (missing ones are 0).
struct Param {
  Kind kind = Kind::Int;
  long long base = 0;  // Int, Date, Time, IntIn, IntInOut
  float fbase = 0;     // Float
  std::string text;    // Text, TextBuf
  int size = 0;
  std::vector<float> slots;
  // Part of an instance key: calls with a bad study object get a key of their own, so that
  // they reach a new instance instead of one already bound to a good study.
  bool key = false;
  Param Key() const {
    Param p = *this;
    p.key = true;
    return p;
  }
  // Only the baseline and null are tried (for an argument whose bad values would make the
  // export wait for a person, such as a message box under Windows).
  bool fixed = false;
  Param Fixed() const {
    Param p = *this;
    p.fixed = true;
    return p;
  }
};

Param Of(Kind kind, long long base);
Param I(long long base);
Param D(int date = 1150415);
Param T(int time = 1600);
Param F(float base);
Param Txt(std::string base);
Param TxtBuf(std::string base, int size);
Param Err(int size);
Param PIn(int base);
Param PInOut(int base);
Param FOut();
Param SIn(int count, std::vector<float> values = {});
Param SOut(int count, std::vector<float> values = {});
Param Study();
Param Opaque();

// An argument as passed: an int, a float or a pointer, converted to the parameter type.
struct Value {
  long long i = 0;
  float f = 0;
  void* p = nullptr;
  template <class T>
  T As() const {
    if constexpr (std::is_pointer_v<T>) {
      return static_cast<T>(p);
    } else if constexpr (std::is_floating_point_v<T>) {
      return static_cast<T>(f);
    } else {
      return static_cast<T>(i);
    }
  }
};

using Invoke = std::function<double(void* fn, const std::vector<Value>& args)>;

template <class Fn>
struct Invoker;
template <class R, class... A>
struct Invoker<R (*)(A...)> {
  static double Call(void* fn, const std::vector<Value>& v) {
    return Apply(reinterpret_cast<R (*)(A...)>(fn), v, std::index_sequence_for<A...>{});
  }
  template <size_t... N>
  static double Apply(R (*f)(A...), const std::vector<Value>& v, std::index_sequence<N...>) {
    return static_cast<double>(f(v[N].template As<A>()...));
  }
  static constexpr size_t kArity = sizeof...(A);
};

struct Row {
  std::string name;
  std::vector<Param> params;
  Invoke invoke;
  size_t arity = 0;
};

// A row for export `name` of function-pointer type Fn.
template <class Fn>
Row MakeRow(const char* name, std::vector<Param> params) {
  return Row{name, std::move(params), &Invoker<Fn>::Call, Invoker<Fn>::kArity};
}

// What running a row found: the results of the null calls (each pointer argument null on
// its own, in argument order, then all pointers null) and every fault, one line each.
struct RowReport {
  std::vector<double> nullResults;
  std::vector<std::string> faults;
  int calls = 0;
};

RowReport RunRow(const LoadedLibrary& lib, const Row& row);

// The row's null results as a line to paste into the test's table.
std::string FormatResults(const std::vector<double>& results);

}  // namespace matrix
