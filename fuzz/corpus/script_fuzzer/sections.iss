[Registry]
Root: HKCU; Subkey: "Software\Mirtavo\Sea"; ValueType: string; ValueName: ""; ValueData: {app}; flags: uninsdeletekey
[INI]
Filename: "{win}/system.INI"; Section: "boot"; Key: "SCRNSAVE.EXE"; String: "{sys}/Sea.scr"
[Icons]
Name: "{group}/Sea"; Filename: "{sys}/Sea.scr"
