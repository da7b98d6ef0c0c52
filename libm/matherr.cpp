// The default SVID hook: it never handles an error, so the handler goes on to
// report it. A program's own strong matherr takes the place of the weak name.
#include "libm_internal.h"

int __matherr(struct exception*) { return 0; }

LIBM_WEAK_ALIAS(matherr, __matherr);
