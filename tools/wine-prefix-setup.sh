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
