/* The host operation stubs for x86-64, under the System V calling convention
 * (Linux) and the Microsoft x64 one (Windows).
 *
 * Bound path, the same under both: one load, one test, one indirect jump. The
 * stub jumps rather than calls, so the operation returns straight to the
 * stub's caller with its integer or floating-point result untouched, and every
 * argument register and stack slot reaches the operation exactly as the caller
 * left them, %al (the vector-register count of a System V variadic call such
 * as mi_query) included. Only %r10 and %r11 are used: both are scratch and
 * carry no argument under either convention. */
#include <vitrel/host/ops.h>

	.text

/* Unbound path, shared by all stubs: %r10d = slot, %r11 = name. Saves every
 * argument register, binds, restores them and jumps as the bound path would.
 * When the operation cannot be had it returns 0 / 0.0 / null and writes
 * nothing through the caller's arguments. */
	.p2align 4
#if defined(_WIN64)
	.def vitrel_bind_and_jump; .scl 3; .type 32; .endef
vitrel_bind_and_jump:
	.seh_proc vitrel_bind_and_jump
	pushq %rbp
	.seh_pushreg %rbp
	movq %rsp, %rbp
	.seh_setframe %rbp, 0
	subq $128, %rsp
	.seh_stackalloc 128
	.seh_endprologue
	/* 0..31: the callee's home space; 32..63: integer arguments; 64..127: xmm0-3 */
	movq %rcx, 32(%rsp)
	movq %rdx, 40(%rsp)
	movq %r8, 48(%rsp)
	movq %r9, 56(%rsp)
	movdqa %xmm0, 64(%rsp)
	movdqa %xmm1, 80(%rsp)
	movdqa %xmm2, 96(%rsp)
	movdqa %xmm3, 112(%rsp)
	movl %r10d, %ecx
	movq %r11, %rdx
	call vitrel_bind
	movq %rax, %r11
	movq 32(%rsp), %rcx
	movq 40(%rsp), %rdx
	movq 48(%rsp), %r8
	movq 56(%rsp), %r9
	movdqa 64(%rsp), %xmm0
	movdqa 80(%rsp), %xmm1
	movdqa 96(%rsp), %xmm2
	movdqa 112(%rsp), %xmm3
	movq %rbp, %rsp
	popq %rbp
	testq %r11, %r11
	jz 1f
	jmp *%r11
1:
	xorl %eax, %eax
	pxor %xmm0, %xmm0
	ret
	.seh_endproc
#else
	.type vitrel_bind_and_jump, @function
vitrel_bind_and_jump:
	.cfi_startproc
	pushq %rbp
	.cfi_def_cfa_offset 16
	.cfi_offset %rbp, -16
	movq %rsp, %rbp
	.cfi_def_cfa_register %rbp
	subq $192, %rsp
	movq %rdi, 0(%rsp)
	movq %rsi, 8(%rsp)
	movq %rdx, 16(%rsp)
	movq %rcx, 24(%rsp)
	movq %r8, 32(%rsp)
	movq %r9, 40(%rsp)
	movq %rax, 48(%rsp)
	movdqa %xmm0, 64(%rsp)
	movdqa %xmm1, 80(%rsp)
	movdqa %xmm2, 96(%rsp)
	movdqa %xmm3, 112(%rsp)
	movdqa %xmm4, 128(%rsp)
	movdqa %xmm5, 144(%rsp)
	movdqa %xmm6, 160(%rsp)
	movdqa %xmm7, 176(%rsp)
	movl %r10d, %edi
	movq %r11, %rsi
	call vitrel_bind
	movq %rax, %r11
	movq 0(%rsp), %rdi
	movq 8(%rsp), %rsi
	movq 16(%rsp), %rdx
	movq 24(%rsp), %rcx
	movq 32(%rsp), %r8
	movq 40(%rsp), %r9
	movq 48(%rsp), %rax
	movdqa 64(%rsp), %xmm0
	movdqa 80(%rsp), %xmm1
	movdqa 96(%rsp), %xmm2
	movdqa 112(%rsp), %xmm3
	movdqa 128(%rsp), %xmm4
	movdqa 144(%rsp), %xmm5
	movdqa 160(%rsp), %xmm6
	movdqa 176(%rsp), %xmm7
	leave
	.cfi_def_cfa %rsp, 8
	testq %r11, %r11
	jz 1f
	jmp *%r11
1:
	xorl %eax, %eax
	pxor %xmm0, %xmm0
	ret
	.cfi_endproc
	.size vitrel_bind_and_jump, .-vitrel_bind_and_jump
#endif

/* The stub itself: never exported (not dllexport'ed on Windows, hidden on ELF),
 * so it cannot interpose on the renderer's own symbol of the same name. */
.macro VITREL_STUB name, slot
#if defined(_WIN64)
	.section .rdata, "dr"
#else
	.section .rodata.str1.1, "aMS", @progbits, 1
#endif
.Lname_\name:
	.asciz "\name"
	.text
	.p2align 4
	.globl \name
#if defined(_WIN64)
	.def \name; .scl 2; .type 32; .endef
#else
	.hidden \name
	.type \name, @function
#endif
\name:
#if !defined(_WIN64)
	.cfi_startproc
#endif
	movq vitrel_dl_table+8*\slot(%rip), %r11
	testq %r11, %r11
	jz 1f
	jmp *%r11
1:
	movl $\slot, %r10d
	leaq .Lname_\name(%rip), %r11
	jmp vitrel_bind_and_jump
#if !defined(_WIN64)
	.cfi_endproc
	.size \name, .-\name
#endif
.endm

#define VITREL_EMIT_STUB(slot, ret, name, params, args) VITREL_STUB name, slot;
VITREL_HOST_OPERATIONS(VITREL_EMIT_STUB)

#if !defined(_WIN64)
	.section .note.GNU-stack, "", @progbits
#endif
