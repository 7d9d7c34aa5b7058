// Texts the framework shows on its own behalf.
#pragma once

#define AFX_TEXT_HELP_FAILED L"启动帮助失败。"
