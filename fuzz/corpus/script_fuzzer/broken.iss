[Files]
Source:"unclosed; DestDir: x
[Odd
; comment
Name "no colon"
