// The icon a framework message box gets when its caller named none.
#pragma once

// OK and OK/Cancel boxes get the exclamation icon, Yes/No and Yes/No/Cancel
// the question icon; any other button set, or a style that already names an
// icon, is left as it is.
unsigned MessageBoxStyle(unsigned style);
