/* Proves that this machine can run an i386 program: natively when the
 * kernel takes it, otherwise under the emulator ./run was told to use. */
#include <stdio.h>

int main(void) {
    if (sizeof(void*) != 4) return 1;
    puts("i386");
    return 0;
}
