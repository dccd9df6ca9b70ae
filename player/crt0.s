@ Start of the cartridge: the entry branch and the boot logo (the rest of the header is
@ CartridgeHeader.cpp), then the start-up code the branch leads to: stacks, clearing of
@ zero-initialised internal work RAM, copy of its code and data, and the call of PlayerMain.
@ External work RAM is left as it is: what lives there is cleared before use.
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

    @ Zero-initialised internal work RAM first: it holds the status block that host tools
    @ read from the first refresh on.
    mov     r3, #0
    ldr     r1, =__bss_start
    ldr     r2, =__bss_end
    bl      FillWords
    ldr     r0, =__iwram_load
    ldr     r1, =__iwram_start
    ldr     r2, =__iwram_end
    bl      CopyWords

    ldr     r0, =PlayerMain
    mov     lr, pc
    bx      r0
Halt:
    b       Halt

@ r0 source, r1 destination, r2 destination end; all word aligned. Four words at a time
@ while it can, as in FillWords.
CopyWords:
    sub     r3, r2, r1
    cmp     r3, #16
    ldmiahs r0!, {r3-r6}
    stmiahs r1!, {r3-r6}
    bhs     CopyWords
CopyOne:
    cmp     r1, r2
    ldrlo   r3, [r0], #4
    strlo   r3, [r1], #4
    blo     CopyOne
    bx      lr

@ r3 value, r1 destination, r2 destination end; word aligned. Four words a store while it can:
@ this code runs from the cartridge, where every instruction is slow.
FillWords:
    mov     r4, r3
    mov     r5, r3
    mov     r6, r3
FillFour:
    sub     r0, r2, r1
    cmp     r0, #16
    stmiahs r1!, {r3-r6}
    bhs     FillFour
FillOne:
    cmp     r1, r2
    strlo   r3, [r1], #4
    blo     FillOne
    bx      lr

    .pool
