// Test support: the allocation-failure runs (see injection_run.h).

#include "common/testing/injection_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "common/testing/alloc_fault.h"

void InjectionOutcomes::Note(double value, double failure) {
  if (count_ >= kMax) return;
  values_[count_] = value;
  failures_[count_] = failure;
  ++count_;
}

namespace {

bool Same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

std::string Compare(const InjectionOutcomes& clean, const InjectionOutcomes& got,
                    bool failureAllowed) {
  if (got.size() != clean.size())
    return "made " + std::to_string(got.size()) + " calls instead of " +
           std::to_string(clean.size());
  for (int i = 0; i < clean.size(); ++i) {
    if (Same(got.value(i), clean.value(i))) continue;
    // After a call that failed, the later ones answer for what it left undone.
    if (failureAllowed && Same(got.value(i), clean.failure(i))) break;
    return "call " + std::to_string(i) + " gave " + std::to_string(got.value(i)) + " (clean " +
           std::to_string(clean.value(i)) + ", failure " + std::to_string(clean.failure(i)) + ")";
  }
  return "";
}

// A run of the instance a failure hit, made again without failures: its history may rightly
// lack what the failed call could not keep (a bar that was not stored lands elsewhere when
// it comes again), so its values are not the clean run's; but the instance must go on, with
// no call giving its failure value where the clean repeat does not.
std::string CompareResumed(const InjectionOutcomes& cleanTwice, const InjectionOutcomes& got) {
  if (got.size() != cleanTwice.size())
    return "made " + std::to_string(got.size()) + " calls instead of " +
           std::to_string(cleanTwice.size());
  for (int i = 0; i < got.size(); ++i) {
    if (Same(got.value(i), got.failure(i)) && !Same(cleanTwice.value(i), got.failure(i)))
      return "call " + std::to_string(i) + " gave its failure value " +
             std::to_string(got.value(i));
  }
  return "";
}

}  // namespace

InjectionReport RunWithAllocationFailures(const std::string& idPrefix,
                                          const InjectionScenario& scenario, long maxRuns) {
  InjectionReport report;
  AllocFaultPlatform platform;
  ScopedPlatform scope(platform);
  InjectionOutcomes clean, cleanTwice;
  scenario((idPrefix + "0").c_str(), clean);
  scenario((idPrefix + "0").c_str(), cleanTwice);
  for (long n = 1; n <= maxRuns; ++n) {
    const std::string id = idPrefix + std::to_string(n);
    InjectionOutcomes got;
    alloc_fault::Arm(n);
    scenario(id.c_str(), got);
    const bool reached = alloc_fault::Disarm();
    const std::string problem = Compare(clean, got, true);
    if (!problem.empty() && report.firstProblem.empty())
      report.firstProblem = "allocation " + std::to_string(n) + " failing: " + problem;
    InjectionOutcomes resumed;
    scenario(id.c_str(), resumed);
    const std::string resumeProblem = CompareResumed(cleanTwice, resumed);
    if (!resumeProblem.empty() && report.firstProblem.empty())
      report.firstProblem = "allocation " + std::to_string(n) + " failing, its instance again: " +
                            resumeProblem;
    if (!reached) break;
    ++report.failuresSurvived;
  }
  InjectionOutcomes again;
  scenario((idPrefix + "after").c_str(), again);
  const std::string problem = Compare(clean, again, false);
  if (!problem.empty() && report.firstProblem.empty())
    report.firstProblem = "clean run after the failures: " + problem;
  return report;
}

void ExpectSoundRuns(const char* name, const InjectionReport& report) {
  EXPECT_EQ("", report.firstProblem) << name;
  std::printf("%s survived %ld injected failures\n", name, report.failuresSurvived);
}
