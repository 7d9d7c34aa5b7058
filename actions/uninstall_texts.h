// What "卸载旧软件" tells the user.
#pragma once

#define UNINSTALL_TEXT_NOT_INSTALLED L"未安装旧版Tarvic"
#define UNINSTALL_TEXT_CANNOT_START L"无法启动卸载程序"
#define UNINSTALL_TEXT_DONE L"卸载成功"
#define UNINSTALL_TEXT_NOT_DONE L"卸载未完成"
