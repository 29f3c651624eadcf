// The libraries left to the machine (see system_libraries.h).
#include "vorlinbuild/system_libraries.h"

namespace vorlin::vorlinbuild {

const std::vector<SystemLibraryGroup>& systemLibraryGroups() {
    static const std::vector<SystemLibraryGroup> groups = {
        {"the GNU C library",
         "one copy per process, tied to the machine's dynamic loader and kernel; a second copy cannot be "
         "loaded",
         "it is part of every system (Debian and Ubuntu: libc6; Fedora: glibc)",
         {"libc.so.6", "libm.so.6", "libmvec.so.1", "libpthread.so.0", "libdl.so.2", "librt.so.1",
          "libutil.so.1", "libresolv.so.2", "libanl.so.1", "libnsl.so.1", "ld-linux*", "ld64.so.*"}},
        {"the GNU C++ library and GCC's support library",
         "the machine's graphics drivers load them too and may need a newer one than ours; an older copy of "
         "ours loaded first would break them (the installer checks the versions instead)",
         "Debian and Ubuntu: libstdc++6, libgcc-s1; Fedora: libstdc++, libgcc",
         {"libstdc++.so.6", "libgcc_s.so.1"}},
        {"the OpenGL and EGL libraries",
         "they dispatch to the machine's graphics driver and must match it",
         "Debian and Ubuntu: libgl1, libegl1, libglx0, libopengl0; Fedora: libglvnd",
         {"libGL.so.1", "libEGL.so.1", "libGLX.so.0", "libOpenGL.so.0", "libGLdispatch.so.0",
          "libGLESv2.so.2", "libGLESv1_CM.so.1", "libwayland-egl.so.1"}},
        {"the kernel graphics libraries",
         "they talk to the machine's kernel driver and must match it",
         "Debian and Ubuntu: libdrm2, libgbm1; Fedora: libdrm, mesa-libgbm",
         {"libdrm.so.2", "libgbm.so.1"}},
        {"the X Window System's client libraries",
         "they come with every X11 desktop and must speak the protocol of its server; the X extension "
         "libraries are built and updated with them",
         "Debian and Ubuntu: libx11-6, libx11-xcb1, libxext6, libxrender1, libxss1, libsm6, libxcb1 and the "
         "libxcb-* extension packages; Fedora: libX11, libXext, libXrender, libXScrnSaver, libSM, libxcb",
         {"libX11.so.6",         "libX11-xcb.so.1",    "libXext.so.6",
          "libXrender.so.1",     "libXau.so.6",        "libXdmcp.so.6",
          "libXfixes.so.3",      "libXi.so.6",         "libXrandr.so.2",
          "libXcursor.so.1",     "libXss.so.1",        "libXinerama.so.1",
          "libXtst.so.6",        "libSM.so.6",         "libICE.so.6",
          "libXdamage.so.1",     "libXcomposite.so.1", "libXxf86vm.so.1",
          "libxshmfence.so.1",   "libxcb.so.1",        "libxcb-composite.so.*",
          "libxcb-damage.so.*",  "libxcb-dbe.so.*",    "libxcb-dpms.so.*",
          "libxcb-dri2.so.*",    "libxcb-dri3.so.*",   "libxcb-glx.so.*",
          "libxcb-present.so.*", "libxcb-randr.so.*",  "libxcb-record.so.*",
          "libxcb-render.so.*",  "libxcb-res.so.*",    "libxcb-screensaver.so.*",
          "libxcb-shape.so.*",   "libxcb-shm.so.*",    "libxcb-sync.so.*",
          "libxcb-xf86dri.so.*", "libxcb-xfixes.so.*", "libxcb-xinerama.so.*",
          "libxcb-xinput.so.*",  "libxcb-xkb.so.*",    "libxcb-xtest.so.*",
          "libxcb-xv.so.*",      "libxcb-xvmc.so.*"}},
        {"the Wayland client library",
         "it comes with every Wayland desktop and must match its compositor's protocol handling",
         "Debian and Ubuntu: libwayland-client0; Fedora: libwayland-client",
         {"libwayland-client.so.0"}},
        {"the font libraries",
         "fontconfig reads the machine's font configuration and cache, whose format must match its version; "
         "FreeType is loaded by it and by the desktop",
         "Debian and Ubuntu: libfontconfig1, libfreetype6; Fedora: fontconfig, freetype",
         {"libfontconfig.so.1", "libfreetype.so.6"}},
        {"the sound-system client libraries",
         "they talk to the machine's sound server and its plug-ins, which must match them",
         "Debian and Ubuntu: libasound2, libpulse0; Fedora: alsa-lib, pulseaudio-libs",
         {"libasound.so.2", "libpulse.so.0", "libpulse-simple.so.0", "libpulse-mainloop-glib.so.0"}},
        {"the D-Bus library",
         "it must speak the machine's message bus protocol and read its configuration",
         "Debian and Ubuntu: libdbus-1-3; Fedora: dbus-libs",
         {"libdbus-1.so.3"}},
    };
    return groups;
}

const SystemLibraryGroup* systemGroupOf(const std::string& soname) {
    for (const auto& g : systemLibraryGroups())
        for (const auto& p : g.patterns) {
            const bool prefix = !p.empty() && p.back() == '*';
            if (prefix ? soname.compare(0, p.size() - 1, p, 0, p.size() - 1) == 0 : soname == p) return &g;
        }
    return nullptr;
}

} // namespace vorlin::vorlinbuild
