#include "framework/control_container.h"

namespace {
COccManager defaultManager;
COccManager* enabledManager = nullptr;
}  // namespace

void AfxEnableControlContainer(COccManager* manager) {
  enabledManager = manager ? manager : &defaultManager;
}

COccManager* AfxGetControlContainerManager() { return enabledManager; }
