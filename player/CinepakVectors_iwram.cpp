// The block loops of the vectors chunks, in ARM assembly: they are the decoder's hot path
// (2,400 blocks a full-screen frame). Compiled C++ spilled registers and wrote every word
// with its own STR; here each line of a block is one STM of two words and each codebook
// entry one LDM, which saves about a fifth of the cycles (the 32 bytes a block writes to
// external work RAM, 48 cycles, are the floor).
//
// Registers in all three loops:
//   r0  p: the block's top-left word in the work buffer
//   r1  data, r2 end: the chunk's bytes not read yet
//   r3  V4 codebook (8 bytes an entry), r4 V1 codebook (16 bytes an entry)
//   r5  end of the current block line
//   r6  the block's byte in `changed`, r7 the constant 1
//   r8-r11, lr  scratch
//   r12 flag bits not taken yet, then a marker bit (0x80000000 alone: none left)
// What is needed once a block line or less is kept on the stack:
//   [sp] bytes from the end of a block line to the start of the next (4 lines down)
//   [sp, #4] end of the picture, [sp, #8] Canvas::toPrevious
#include "player/CinepakVectors.h"

#include "player/Display.h"

static_assert(sizeof(Codebooks::v4) == 2048 && sizeof(Codebooks::v4[0]) == 8 && sizeof(Codebooks::v1[0]) == 16);
static_assert(sizeof(Canvas) == 20 && kLineWords * 4 == 480);

asm(R"(
    .pushsection .iwram.text, "ax", %progbits
    .arm
    .align 2

@ Sets up the registers and the stack from (r0 data, r1 end, r2 books, r3 canvas); leaves at
@ once for an empty picture.
.macro ENTER
    push    {r4-r11, lr}
    sub     sp, sp, #12
    ldmia   r3, {r8-r12}            @ origin, blocksWide, blocksHigh, toPrevious, changed
    movs    r9, r9, lsl #3          @ bytes of one block line
    cmpne   r10, #0
    beq     2f
    str     r11, [sp, #8]
    mov     r6, r12
    mov     r3, r2
    add     r4, r2, #2048
    mov     r2, r1
    mov     r1, r0
    mov     r0, r8
    add     r5, r0, r9
    rsb     r7, r9, #1920
    mov     lr, #1920
    mul     r11, r10, lr
    add     r11, r11, r0
    stmia   sp, {r7, r11}
    mov     r7, #1
    mov     r12, #0x80000000
.endm

@ Moves p to the next block and goes on at `loop`; leaves at the end of the picture.
.macro NEXT_BLOCK loop
    add     r0, r0, #8
    cmp     r0, r5
    bne     \loop
    ldmia   sp, {r8, lr}            @ line skip, picture end
    add     r0, r0, r8
    cmp     r0, lr
    beq     2f
    add     r5, r0, #1920
    sub     r5, r5, r8
    b       \loop
.endm

@ The next flag bit into the carry flag; when the chunk has no further word, on to the blocks
@ that keep the previous picture.
.macro NEXT_FLAG
    cmp     r12, #0x80000000
    movnes  r12, r12, lsl #1
    bne     1f
    sub     lr, r2, r1
    cmp     lr, #4
    blt     3f
    ldrb    r12, [r1], #1
    ldrb    lr, [r1], #1
    orr     r12, lr, r12, lsl #8
    ldrb    lr, [r1], #1
    orr     r12, lr, r12, lsl #8
    ldrb    lr, [r1], #1
    orr     r12, lr, r12, lsl #8
    movs    r12, r12, lsl #1
    orr     r12, r12, #1
1:
.endm

@ A V1 block: one index byte; the entry's four words are lines 0-1 and lines 2-3.
.macro DRAW_V1
    cmp     r1, r2
    bhs     3f
    ldrb    r8, [r1], #1
    add     r8, r4, r8, lsl #4
    ldmia   r8, {r8-r11}
    stmia   r0, {r8, r9}
    add     lr, r0, #480
    stmia   lr, {r8, r9}
    add     lr, r0, #960
    stmia   lr, {r10, r11}
    add     lr, r0, #1440
    stmia   lr, {r10, r11}
    strb    r7, [r6], #1            @ drawn here: out of date in the other buffer
.endm

@ A V4 block: four index bytes for the top-left, top-right, bottom-left and bottom-right
@ quarters; each entry is its top line and its bottom line.
.macro DRAW_V4
    sub     lr, r2, r1
    cmp     lr, #4
    blt     3f
    ldrb    r8, [r1], #1
    ldrb    r9, [r1], #1
    add     r8, r3, r8, lsl #3
    add     r9, r3, r9, lsl #3
    ldmia   r8, {r8, r10}
    ldmia   r9, {r9, r11}
    stmia   r0, {r8, r9}
    add     lr, r0, #480
    stmia   lr, {r10, r11}
    ldrb    r8, [r1], #1
    ldrb    r9, [r1], #1
    add     r8, r3, r8, lsl #3
    add     r9, r3, r9, lsl #3
    ldmia   r8, {r8, r10}
    ldmia   r9, {r9, r11}
    add     lr, r0, #960
    stmia   lr, {r8, r9}
    add     lr, r0, #1440
    stmia   lr, {r10, r11}
    strb    r7, [r6], #1            @ drawn here: out of date in the other buffer
.endm

@ A block that keeps the previous picture: if the previous picture drew it, its four lines are
@ copied over from there, and then both buffers agree on it.
.macro KEEP_PREVIOUS
    ldrb    lr, [r6], #1
    cmp     lr, #0
    beq     5f
    mov     lr, #0
    strb    lr, [r6, #-1]
    ldr     lr, [sp, #8]
    add     lr, r0, lr
    ldmia   lr, {r8, r9}
    add     lr, lr, #480
    ldmia   lr, {r10, r11}
    stmia   r0, {r8, r9}
    add     r8, r0, #480
    stmia   r8, {r10, r11}
    add     lr, lr, #480
    ldmia   lr, {r8, r9}
    add     lr, lr, #480
    ldmia   lr, {r10, r11}
    add     lr, r0, #960
    stmia   lr, {r8, r9}
    add     lr, r0, #1440
    stmia   lr, {r10, r11}
5:
.endm

@ The data has run out (3): every block left keeps the previous picture. The picture is done (2).
.macro LEAVE
3:
    KEEP_PREVIOUS
    NEXT_BLOCK 3b
2:
    add     sp, sp, #12
    pop     {r4-r11, lr}
    bx      lr
.endm

@ 0x30: one flag bit a block, 1 = V4, 0 = V1.
    .global ExpandIntraVectors
    .type ExpandIntraVectors, %function
ExpandIntraVectors:
    ENTER
.LIntraBlock:
    NEXT_FLAG
    bcs     .LIntraV4
    DRAW_V1
    NEXT_BLOCK .LIntraBlock
.LIntraV4:
    DRAW_V4
    NEXT_BLOCK .LIntraBlock
    LEAVE
    .size ExpandIntraVectors, . - ExpandIntraVectors

@ 0x31: one flag bit a block, 0 = skip (the block keeps the previous picture); a coded block
@ takes a second bit, 1 = V4, 0 = V1, which may begin the next flag word.
    .global ExpandInterVectors
    .type ExpandInterVectors, %function
ExpandInterVectors:
    ENTER
.LInterBlock:
    NEXT_FLAG
    bcc     .LInterSkip
    NEXT_FLAG
    bcs     .LInterV4
    DRAW_V1
    NEXT_BLOCK .LInterBlock
.LInterV4:
    DRAW_V4
    NEXT_BLOCK .LInterBlock
.LInterSkip:
    KEEP_PREVIOUS
    NEXT_BLOCK .LInterBlock
    LEAVE
    .size ExpandInterVectors, . - ExpandInterVectors

@ 0x32: every block V1, no flags.
    .global ExpandV1Vectors
    .type ExpandV1Vectors, %function
ExpandV1Vectors:
    ENTER
.LV1Block:
    DRAW_V1
    NEXT_BLOCK .LV1Block
    LEAVE
    .size ExpandV1Vectors, . - ExpandV1Vectors

    .popsection
)");
