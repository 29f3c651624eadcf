# png_pixel FILE X Y: "r,g,b" of the pixel at x,y of the picture FILE (a screenshot).
png_pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)],%[fx:int(255*p{$2,$3}.g+0.5)],%[fx:int(255*p{$2,$3}.b+0.5)]" info:
}
