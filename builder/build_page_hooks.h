#pragma once
// The builder window's calls into the installer build and the about box (builder/installer). The window
// owns the Build page's widgets and navigation; the work behind "Build" and "&About" lives there.
//
// When builder/installer is not part of the build (no VORLIN_HAVE_INSTALLER), the window says so in the
// status memo instead of building.

class QWidget;

namespace vorlin::builder {

class TVorlinConfigForm;

// The "Build" button (also "Next >>" on notebook pages 2 and 3, and Enter in the name, author and web-site
// edits): stores the controls, switches the notebook to page 3, disables "Next >>" and "Build", writes the
// built settings file and the script, and starts the installer compiler. Re-enables "Build" at the end.
// Main thread; must not throw.
void RunInstallerBuild(TVorlinConfigForm& form);

// "&About": the about box, created on first use and shown modally over `parent`. Main thread; must not
// throw.
void ShowAboutBox(QWidget* parent);

} // namespace vorlin::builder
