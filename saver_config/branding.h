#pragma once
// The maker's names and addresses that the builder window, its about box and a built screen saver's
// configuration dialog all show. Plain constants, no Qt.

namespace vorlin::branding {

// The builder's window title, also the about box's title line and the dialog's "Powered by" line.
inline constexpr const char* kBuilderCaption = "2Vorlin Screen Saver Builder";
inline constexpr const char* kMakerWebsite = "https://mirtavo.example/vorlinsaver/";
inline constexpr const char* kMakerEmail = "mailto:support@mirtavo.example";

} // namespace vorlin::branding
