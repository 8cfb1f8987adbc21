// The stability model's batch loops compiled for AVX-512; called only on a
// processor that has it.
#include "evaluation/StabilityModelTerms.h"

constinit const STABILITYKERNELS g_StabilityKernelsAvx512 = stabilityterms::Kernels();
