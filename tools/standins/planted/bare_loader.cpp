// The control case of the planted DLLs: "bare_loader NAME" asks for NAME by
// its bare name with the default search, as a program that never restricted
// it would. Exit code 0 when it loaded, 1 when not, 2 without a name.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  return ::LoadLibraryW(argv[1]) != nullptr ? 0 : 1;
}
