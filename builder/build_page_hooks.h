#pragma once
// The builder window's call into the installer build (builder/installer). The window owns the Build page's
// widgets and navigation; the work behind "Build" lives there.

namespace vorlin::builder {

class TVorlinConfigForm;

// The "Build" button (also "Next >>" on notebook pages 2 and 3, and Enter in the name, author and web-site
// edits): stores the controls, switches the notebook to page 3, disables "Next >>" and "Build", writes the
// built settings file and the script, and starts the installer compiler. Re-enables "Build" at the end.
// Main thread; must not throw.
void RunInstallerBuild(TVorlinConfigForm& form);

} // namespace vorlin::builder
