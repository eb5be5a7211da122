// The main window's own texts, as GBK bytes.
#pragma once

#include <string_view>

namespace pagorin::ui {

inline constexpr std::string_view kMainTitle = "Pagorinv3.0      By\xA3\xBATamsel";    // By：
inline constexpr std::string_view kCaptionAdd = "\xCC\xED\xBC\xD3";                    // 添加
inline constexpr std::string_view kCaptionModify = "\xD0\xDE\xB8\xC4";                 // 修改
inline constexpr std::string_view kCaptionDelete = "\xC9\xBE\xB3\xFD";                 // 删除
inline constexpr std::string_view kCaptionStart = "\xBF\xAA\xCA\xBC\xBC\xE0\xBF\xD8";  // 开始监控
inline constexpr std::string_view kCaptionStop = "\xCD\xA3\xD6\xB9\xBC\xE0\xBF\xD8";  // 停止监控
inline constexpr std::string_view kCaptionAbout = "\xB9\xD8\xD3\xDA";                 // 关于
inline constexpr std::string_view kElapsedGroup =
    "\xD2\xD1\xBC\xE0\xBF\xD8\xCA\xB1\xBC\xE4";  // 已监控时间
inline constexpr std::string_view kTipsGroup = "\xCE\xC2\xDC\xB0\xCC\xE1\xCA\xBE";  // 温馨提示
inline constexpr std::string_view kElapsedZero = "00:00:00";
inline constexpr std::string_view kMenuImport =
    "\xB5\xBC\xC8\xEB\xBC\xE0\xBF\xD8\xCF\xEE\xC4\xBF";  // 导入监控项目
inline constexpr std::string_view kMenuExport =
    "\xB5\xBC\xB3\xF6\xBC\xE0\xBF\xD8\xCF\xEE\xC4\xBF";  // 导出监控项目
inline constexpr std::string_view kMenuShowMain =
    "\xCF\xD4\xCA\xBE\xD6\xF7\xBD\xE7\xC3\xE6";                    // 显示主界面
inline constexpr std::string_view kMenuExit = "\xCD\xCB\xB3\xF6";  // 退出
inline constexpr std::string_view kTrayTip = "Pagorin";

}  // namespace pagorin::ui
