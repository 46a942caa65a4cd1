// The stack-restoring call of 32-bit Windows. EBP is preserved by the callee
// in both conventions, so it holds the stack pointer across the call and
// puts it back afterwards; ESI and EDI are not touched.
#include "device/LibraryEntry.h"

static_assert(sizeof(void *) == 4, "this file serves 32-bit x86 only");

// int kvmtCallRestoringStack(const void *address, const uint32_t *arguments, uint32_t count)
__asm__(
    ".text\n"
    ".globl _kvmtCallRestoringStack\n"
    ".def _kvmtCallRestoringStack; .scl 2; .type 32; .endef\n"
    "_kvmtCallRestoringStack:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    movl 16(%ebp), %ecx\n" // count
    "    movl 12(%ebp), %edx\n" // arguments
    "1:  testl %ecx, %ecx\n"
    "    jz 2f\n"
    "    decl %ecx\n"
    "    pushl (%edx,%ecx,4)\n"
    "    jmp 1b\n"
    "2:  call *8(%ebp)\n"
    "    movl %ebp, %esp\n"
    "    popl %ebp\n"
    "    ret\n");
