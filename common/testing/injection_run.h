// Test support: a short scenario run with its 1st, 2nd, 3rd ... allocation failing, until a
// run completes without reaching the failure (see alloc_fault.h for the failing allocators).
//
// A scenario makes its calls for one instance ID and notes each result with the value the
// call gives on an internal failure. In every failing run each result must be the clean
// run's result until a call gives its failure value (the calls after it are made but not
// compared: they answer for what the failed one left undone). Right after each failing run
// the scenario runs again, without failures, for the same ID: the instance the failure hit
// must go on, with no call giving its failure value where a clean instance run twice does
// not (its values may differ: a bar the failed call could not keep is missing from its
// history). After all the failing runs, a clean run for a fresh ID must give the clean
// results again (nothing shared was damaged: registries, the trace log, the settings file's
// lock). Crashes, hangs and leaks show by themselves (the asan preset reports leaks at exit).
#pragma once

#include <functional>
#include <string>

// The results of one run, kept in fixed room: noting one allocates nothing.
class InjectionOutcomes {
 public:
  static constexpr int kMax = 64;
  void Note(double value, double failure);
  int size() const { return count_; }
  double value(int i) const { return values_[i]; }
  double failure(int i) const { return failures_[i]; }

 private:
  double values_[kMax] = {};
  double failures_[kMax] = {};
  int count_ = 0;
};

using InjectionScenario = std::function<void(const char* id, InjectionOutcomes& out)>;

struct InjectionReport {
  long failuresSurvived = 0;  // failing runs that completed with sound results
  std::string firstProblem;   // empty when every run was sound
};

// Runs scenario clean twice (ID prefix + "0"), then failing at allocation 1, 2, ... (ID
// prefix + n, each followed by a clean run for the same ID), then clean again (a fresh ID). Gives up after maxRuns failing runs.
InjectionReport RunWithAllocationFailures(const std::string& idPrefix,
                                          const InjectionScenario& scenario,
                                          long maxRuns = 20000);

// The test's verdict on a report: no problem, and the count of failures survived printed
// for the record under name.
void ExpectSoundRuns(const char* name, const InjectionReport& report);
