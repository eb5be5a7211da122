#!/bin/sh
# Configures a fresh Wine prefix for the tests: Chinese fonts, a virtual desktop
# (title bars, a taskbar with the notification area) and no audio device.
set -e
reg() { wine reg add "$@" /f >/dev/null; }
R='HKCU\Software\Wine\Fonts\Replacements'
for face in SimSun NSimSun 宋体 新宋体 "Microsoft YaHei" "Microsoft YaHei UI" 微软雅黑; do
  reg "$R" /v "$face" /t REG_SZ /d "WenQuanYi Micro Hei"
done
reg 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default
reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768
reg 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d ''
# The title-bar buttons are glyphs of Marlett. Debian's Wine ships the font (fonts-wine)
# but looks for fonts only in the prefix's Fonts folder and fontconfig's, so without a
# copy there the buttons show the letters "0 1 r".
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
fi
