// Hosting of ActiveX controls in dialogs. Enabling records the container
// manager that hosting would use, the default one when none is given; no
// dialog of this framework hosts a control itself.
#pragma once

class COccManager {
 public:
  virtual ~COccManager() = default;
};

void AfxEnableControlContainer(COccManager* manager = nullptr);

// The manager hosting was enabled with; null until it is enabled.
COccManager* AfxGetControlContainerManager();
