/* The host operation stubs for x86-64 under the System V calling convention.
 *
 * Bound path: one load, one test, one indirect jump. The stub jumps rather
 * than calls, so the operation returns straight to the stub's caller with its
 * integer or floating-point result untouched, and every argument register,
 * the stack and %al (the vector-register count of a variadic call such as
 * mi_query) reach the operation exactly as the caller left them. Only %r10
 * and %r11 are used, which carry no argument in this convention. */
#include "ops.h"

	.text

/* Unbound path, shared by all stubs: %r10d = slot, %r11 = name. Saves every
 * argument register, binds, restores them and jumps as the bound path would.
 * When the operation cannot be had it returns 0 / 0.0 / null and writes
 * nothing through the caller's arguments. */
	.p2align 4
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

.macro VITREL_STUB name, slot
	.section .rodata.str1.1, "aMS", @progbits, 1
.Lname_\name:
	.asciz "\name"
	.text
	.p2align 4
	.globl \name
	.hidden \name
	.type \name, @function
\name:
	.cfi_startproc
	movq vitrel_dl_table+8*\slot(%rip), %r11
	testq %r11, %r11
	jz 1f
	jmp *%r11
1:
	movl $\slot, %r10d
	leaq .Lname_\name(%rip), %r11
	jmp vitrel_bind_and_jump
	.cfi_endproc
	.size \name, .-\name
.endm

#define VITREL_EMIT_STUB(slot, ret, name, params, args) VITREL_STUB name, slot;
VITREL_HOST_OPERATIONS(VITREL_EMIT_STUB)

	.section .note.GNU-stack, "", @progbits
