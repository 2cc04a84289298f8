// KombrelStackDrift: calls a function as a 32-bit x86 caller does and tells how far the stack pointer
// ended up from where it was before the arguments were pushed.
//
//   int32_t KombrelStackDrift(const void* function, const uint32_t* words, uint32_t count,
//                             uint32_t caller_cleans, uint32_t returns_x87);
//
// Pushes words[count-1] .. words[0] (so words[0] lies lowest, as the first argument does), calls the
// function, drops an x87 result when returns_x87 is set, removes count words itself when caller_cleans
// is set, and answers (stack pointer before the pushes) - (stack pointer now): 0 when caller and callee
// agree on who removes the arguments, +4n when n words were left behind, -4n when n too many were taken.
// The stack is put back whatever happened; the call site is 16-byte aligned as the System V ABI wants.

  .text
  .globl KombrelStackDrift
  .type KombrelStackDrift, @function
KombrelStackDrift:
  pushl %ebp
  movl %esp, %ebp
  pushl %ebx
  pushl %esi
  pushl %edi

  movl 8(%ebp), %ebx          // function
  movl 12(%ebp), %esi         // words
  movl 16(%ebp), %ecx         // count
  leal (,%ecx,4), %edx
  subl %edx, %esp             // align so that the pushes end on a 16-byte boundary
  andl $-16, %esp
  addl %edx, %esp
  movl %esp, %edi             // the stack pointer before the arguments; edi survives every call

1:
  testl %ecx, %ecx
  jz 2f
  pushl -4(%esi,%ecx,4)
  decl %ecx
  jmp 1b
2:
  call *%ebx

  cmpl $0, 24(%ebp)           // returns_x87: a float result waits on the x87 stack
  je 3f
  fstp %st(0)
3:
  cmpl $0, 20(%ebp)           // caller_cleans: remove the arguments as a cdecl caller does
  je 4f
  movl 16(%ebp), %ecx
  leal (%esp,%ecx,4), %esp
4:
  movl %edi, %eax
  subl %esp, %eax

  leal -12(%ebp), %esp
  popl %edi
  popl %esi
  popl %ebx
  popl %ebp
  ret
  .size KombrelStackDrift, .-KombrelStackDrift

  .section .note.GNU-stack,"",@progbits
