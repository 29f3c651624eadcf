[Setup]
AppName=Sea
DefaultDirName={pf}/Sea
outputdir="/o/"
OutputBaseFilename="Sea"
[Files]
Source:"/p/a ""b"" {{x}.jpg"; DestDir: "{app}/sample"
Source:"/p/VorlinSaver.scr"; DestDir: "{sys}/"; DestName: "Sea.scr"
