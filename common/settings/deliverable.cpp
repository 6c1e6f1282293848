// The process's deliverable configuration (see deliverable.h). A plain global: it is set
// while the deliverable loads, before any of its code runs, and only tests change it later.
#include "common/settings/deliverable.h"

namespace {
DeliverableConfig g_config;
}

void SetDeliverableConfig(const DeliverableConfig& config) { g_config = config; }

void SetStudyLibraryConfig(const char* logBaseDir, const char* logName) {
  DeliverableConfig config;
  config.variant = DeliverableVariant::Library;
  config.logBaseDir = logBaseDir;
  config.logName = logName;
  SetDeliverableConfig(config);
}

const DeliverableConfig& GetDeliverableConfig() { return g_config; }

bool IsProgramVariant() { return g_config.variant == DeliverableVariant::Program; }
