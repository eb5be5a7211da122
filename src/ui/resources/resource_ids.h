// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_PROGRAM 1  // the program's icon: the same picture as the start button's
#define IDI_ADD 101
#define IDI_MODIFY 102
#define IDI_DELETE 103
#define IDI_START 104
#define IDI_STOP 105
#define IDI_ABOUT 106
#define IDR_ABOUT_PICTURE 201  // PNG, 623 x 623, shown in the about window
