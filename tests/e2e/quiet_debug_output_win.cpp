// GoogleTest copies every failure to OutputDebugStringA, which raises a structured exception.
// Where Wine's 32-bit side runs under qemu (see scripts/wine-env) raising one kills the
// process, so a failed check would take the whole driver down with it. Nothing listens for
// debug output here: the driver's own import of the function is pointed at a no-op.
#include <windows.h>

namespace {

void WINAPI IgnoreDebugOutput(LPCSTR) {}

}  // namespace

extern "C" {
// The import-table slot the linker would otherwise fill from kernel32.
extern void(WINAPI* const importedOutputDebugStringA)(LPCSTR) __asm__(
    "__imp__OutputDebugStringA@4");
void(WINAPI* const importedOutputDebugStringA)(LPCSTR) = IgnoreDebugOutput;
}
