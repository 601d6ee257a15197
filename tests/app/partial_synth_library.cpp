// A synthesiser library cut short, for the library check's tests: it has the
// synthesiser's central function and none of the others loading needs.

extern "C" void* new_fluid_synth(void*) { return nullptr; }
