#pragma once
// Goes on the declaration of a function whose body lives in a *_iwram.cpp file: ARM code that
// start-up copies to internal work RAM. Callers in ROM, 80 MiB away, reach it by a long call.
#define KAVRO_IWRAM_ARM __attribute__((section(".iwram.text"), long_call))
