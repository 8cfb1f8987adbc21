// The stability model's batch loops compiled for AVX2; called only on a
// processor that has it.
#include "evaluation/StabilityModelTerms.h"

constinit const STABILITYKERNELS g_StabilityKernelsAvx2 = stabilityterms::Kernels();
