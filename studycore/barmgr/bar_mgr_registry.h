// The library's process-wide registry of bar managers, keyed by instance ID.
//
// Every bar-feeding export finds its CBarMgr here by the study's ID text, without regard to
// case. The registry is a global object of the library (one per library: XMT_PATTERN and
// XMT_MOMENTUM each carry their own copy), built at load; managers are never removed while
// the library is loaded, and unloading releases every manager fully and destroys it.
//
// Contract:
// - FindBarMgr never returns null for a non-null ID: the first manager created for an ID
//   is the one every later call with that ID (in any letter case) gets. A new manager reads
//   its settings, creates its data folder and is named after the ID.
// - An empty ID is an ID like any other here: all calls with an empty ID share one manager
//   (whose display name is the generated "BM_..." name), instead of creating a new manager
//   on every call.
// - A null ID gives null; the exports reject it before they get here.
// - Not locked: the host calls the exports one at a time.
#pragma once

class CBarMgr;

CBarMgr* FindBarMgr(const char* id);

// Number of managers in the registry (tests and diagnostics).
int BarMgrCount();

// Fully releases and destroys every manager (what unloading does). Tests use it to start
// from an empty registry.
void ReleaseAllBarMgrs();

// A library whose code keeps objects of its own in the managers' object slots installs a
// function here that frees them: it is called for every manager just before the manager is
// released for good (ReleaseAllBarMgrs and unloading). Null (the default) calls nothing.
void SetBarMgrOwnerRelease(void (*release)(CBarMgr* mgr));
