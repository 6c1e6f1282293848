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

}  // namespace

InjectionReport RunWithAllocationFailures(const std::string& idPrefix,
                                          const InjectionScenario& scenario, long maxRuns) {
  InjectionReport report;
  AllocFaultPlatform platform;
  ScopedPlatform scope(platform);
  InjectionOutcomes clean;
  scenario((idPrefix + "0").c_str(), clean);
  for (long n = 1; n <= maxRuns; ++n) {
    const std::string id = idPrefix + std::to_string(n);
    InjectionOutcomes got;
    alloc_fault::Arm(n);
    scenario(id.c_str(), got);
    const bool reached = alloc_fault::Disarm();
    const std::string problem = Compare(clean, got, true);
    if (!problem.empty() && report.firstProblem.empty())
      report.firstProblem = "allocation " + std::to_string(n) + " failing: " + problem;
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
