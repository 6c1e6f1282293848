// The host's study object as our libraries see it: four COM interfaces with fixed vtable
// slots.
//
// The host lends a study object (IHostStudy) to a few exports; through it they read the bar,
// the study's named variables and arrays (IHostVariable), the up/down tick series
// (IHostNumSeries) and the bar date-time series (IHostDateSeries). Only the slots named below
// are called. The host's other slots are declared as placeholders (ReservedN) so that every
// method we call sits at its host slot number N; hostbridge_test proves the numbers.
//
// Contract (host side, relied on by the callers):
// - every method returns an HRESULT; a failed one means the out value is not valid;
// - objects handed out through an out parameter (variables, series) come with a reference
//   the host added (COM's rule), and the receiver releases it;
// - an export that uses them within one call releases each before it returns, on every path
//   (hold them in a HostRef, hostbridge/host_ref.h); XMT_PATTERN64 works this way;
// - an export that binds objects across calls (XMT_BSP keeps its array and tick series per
//   instance) keeps the references it holds while the binding stands and releases them when
//   it drops the binding (a rebind after a failed host call, a new binding). At library
//   unload it releases nothing: the host may already be gone, and a Release into a host
//   that has gone would crash the process on its way out;
// - a null object from GetVariable or the series getters means "the study has no such input";
// - the argument 255 passed to slots 8, 23, 24 and 25 is passed as it is; we give it no
//   further meaning.
#pragma once

#include "hostbridge/com_types.h"

// Argument the host expects for the bar counter and the series getters.
constexpr int kHostSeriesArg = 255;

// The placeholders every interface starts with, after IUnknown's three slots: a chain, so
// that each interface derives from the run it begins with (single inheritance keeps every
// slot number: a base's slots come first).
struct IHostSlots3To6 : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
};
struct IHostSlots3To9 : public IHostSlots3To6 {
  virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;
};
struct IHostSlots3To11 : public IHostSlots3To9 {
  virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved11() = 0;
};

// {7CEEB6FB-D59E-11D3-8394-00C04F7BDF10}: a study variable or array.
struct IHostVariable : public IHostSlots3To11 {
  // 12: value of the selected element (any VARIANT type; callers convert). kind is 0.
  virtual HRESULT STDMETHODCALLTYPE GetValue(int kind, VARIANT* value) = 0;
  // 13: stores value into the selected element. kind is 0.
  virtual HRESULT STDMETHODCALLTYPE PutValue(int kind, VARIANT value) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved15() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved16() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved17() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved18() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved20() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved21() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved22() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved23() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved24() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved25() = 0;
  // 26: number of dimensions (0 for a plain variable, 1 for a one-dimensional array).
  virtual HRESULT STDMETHODCALLTYPE GetDimensions(int* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved27() = 0;
  // 28: selects the element at index of dimension (0) for the next Get/PutValue.
  virtual HRESULT STDMETHODCALLTYPE SelectElement(int dimension, int index) = 0;
  // 29: number of elements of dimension.
  virtual HRESULT STDMETHODCALLTYPE GetElementCount(int dimension, int* count) = 0;
};

// {7CEEB6FD-D59E-11D3-8394-00C04F7BDF10}: a numeric bar series (up ticks, down ticks).
struct IHostNumSeries : public IHostSlots3To11 {
  virtual HRESULT STDMETHODCALLTYPE Reserved12() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved15() = 0;
  // 16: the series value barsAgo bars back from the current bar.
  virtual HRESULT STDMETHODCALLTYPE GetValue(int barsAgo, double* value) = 0;
};

// {7CEEB6F1-D59E-11D3-8394-00C04F7BDF10}: the bar date-time series.
struct IHostDateSeries : public IHostSlots3To9 {
  // 10 to 14: fields of the bar barsAgo bars back. The year is the full year (2015).
  virtual HRESULT STDMETHODCALLTYPE GetYear(int barsAgo, int* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMonth(int barsAgo, int* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDay(int barsAgo, int* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetHour(int barsAgo, int* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMinute(int barsAgo, int* value) = 0;
};

// {7CEEB700-D59E-11D3-8394-00C04F7BDF10}: the study object.
struct IHostStudy : public IHostSlots3To6 {
  // 7: offset added to the bar counter (slot 8) to form the bar number.
  virtual HRESULT STDMETHODCALLTYPE GetBarOffset(int* value) = 0;
  // 8: the study's bar counter; arg is kHostSeriesArg.
  virtual HRESULT STDMETHODCALLTYPE GetBarCounter(int arg, int* value) = 0;
  // 9 to 12: prices of the bar barsAgo bars back (0 = the current bar).
  virtual HRESULT STDMETHODCALLTYPE GetOpen(int barsAgo, double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetClose(int barsAgo, double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetLow(int barsAgo, double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetHigh(int barsAgo, double* value) = 0;
  // 13: the study variable or array named by name (VT_BSTR); *variable null when none.
  virtual HRESULT STDMETHODCALLTYPE GetVariable(VARIANT name, IHostVariable** variable) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved15() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved16() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved17() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved18() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved20() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved21() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved22() = 0;
  // 23 to 25: the bar date-time, up-tick and down-tick series; arg is kHostSeriesArg;
  // *series null when the study has none.
  virtual HRESULT STDMETHODCALLTYPE GetDateSeries(int arg, IHostDateSeries** series) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetUpTicks(int arg, IHostNumSeries** series) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDownTicks(int arg, IHostNumSeries** series) = 0;
};

inline constexpr IID kIidHostStudy = {
    0x7CEEB700, 0xD59E, 0x11D3, {0x83, 0x94, 0x00, 0xC0, 0x4F, 0x7B, 0xDF, 0x10}};
inline constexpr IID kIidHostVariable = {
    0x7CEEB6FB, 0xD59E, 0x11D3, {0x83, 0x94, 0x00, 0xC0, 0x4F, 0x7B, 0xDF, 0x10}};
inline constexpr IID kIidHostNumSeries = {
    0x7CEEB6FD, 0xD59E, 0x11D3, {0x83, 0x94, 0x00, 0xC0, 0x4F, 0x7B, 0xDF, 0x10}};
inline constexpr IID kIidHostDateSeries = {
    0x7CEEB6F1, 0xD59E, 0x11D3, {0x83, 0x94, 0x00, 0xC0, 0x4F, 0x7B, 0xDF, 0x10}};
