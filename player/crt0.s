@ Start of the cartridge: the entry branch and the boot logo (the rest of the header is
@ CartridgeHeader.cpp), then the start-up code the branch leads to: stacks, copy of the
@ internal work RAM image, clearing of zero-initialised memory, and the call of main.
    .syntax unified
    .arm

    .section .header.entry, "ax", %progbits
    .global _start
_start:
    b       Reset
    @ The BIOS refuses to start a cartridge whose logo differs from its own copy.
    .incbin "boot-logo.bin"

    .section .text.start, "ax", %progbits
    .align  2
Reset:
    @ IRQ mode and system mode stacks where the BIOS keeps them.
    mov     r0, #0x12
    msr     cpsr_c, r0
    ldr     sp, =0x03007FA0
    mov     r0, #0x1F
    msr     cpsr_c, r0
    ldr     sp, =__stack_top

    ldr     r0, =__iwram_load
    ldr     r1, =__iwram_start
    ldr     r2, =__iwram_end
    bl      CopyWords

    mov     r3, #0
    ldr     r1, =__bss_start
    ldr     r2, =__bss_end
    bl      FillWords
    ldr     r1, =__ewram_bss_start
    ldr     r2, =__ewram_bss_end
    bl      FillWords

    ldr     r0, =PlayerMain
    mov     lr, pc
    bx      r0
Halt:
    b       Halt

@ r0 source, r1 destination, r2 destination end; all word aligned.
CopyWords:
    cmp     r1, r2
    ldrlo   r3, [r0], #4
    strlo   r3, [r1], #4
    blo     CopyWords
    bx      lr

@ r3 value, r1 destination, r2 destination end; word aligned.
FillWords:
    cmp     r1, r2
    strlo   r3, [r1], #4
    blo     FillWords
    bx      lr

    .pool
