/* User-function libraries that would take a program down, one fault each,
   chosen by a definition: each builds and exports UserFunction, and fails
   only on some inputs, or when it is loaded. */
#include <stdlib.h>
#define EXPORT __attribute__((visibility("default")))

/* A store through a null pointer the compiler can not see is null. */
static double* volatile nowhere = 0;
#define CRASH() (*nowhere = 1)

#if defined(CRASH_ON_ONE)
EXPORT void UserFunction(double* in, double* out) {
  if (in[0] > 0.5) CRASH(); /* every record above 0.5 */
  out[0] = in[0];
}
#elif defined(HANG_ON_NEGATIVE)
EXPORT void UserFunction(double* in, double* out) {
  volatile double x = in[0];
  while (x < 0) {
  }
  out[0] = x;
}
#elif defined(EXIT_ON_NAN)
EXPORT void UserFunction(double* in, double* out) {
  if (in[0] != in[0]) exit(3);
  out[0] = in[0];
}
#elif defined(DATA_ENTRY)
EXPORT double UserFunction[4];
#elif defined(CRASH_WHEN_LOADED)
__attribute__((constructor)) static void Boom(void) { CRASH(); }
EXPORT void UserFunction(double* in, double* out) { out[0] = in[0]; }
#elif defined(HANG_WHEN_LOADED)
__attribute__((constructor)) static void Spin(void) {
  volatile int forever = 1;
  while (forever) {
  }
}
EXPORT void UserFunction(double* in, double* out) { out[0] = in[0]; }
#elif defined(CRASH_AT_MAXIMUM)
/* Fails only at the top of channel 2's display range (1234). */
EXPORT void UserFunction(double* in, double* out) {
  if (in[1] == 1234) abort();
  out[0] = in[1];
}
#elif defined(HANG_IN_INIT)
EXPORT void Init(void) {
  volatile int forever = 1;
  while (forever) {
  }
}
EXPORT void UserFunction(double* in, double* out) { out[0] = in[0]; }
#elif defined(HANG_ON_REQUEST)
/* Passes every check; spins inside UserFunction while uf_hang is set. */
EXPORT volatile int uf_hang = 0;
EXPORT volatile int uf_spinning = 0;
EXPORT void UserFunction(double* in, double* out) {
  while (uf_hang) uf_spinning = 1;
  out[0] = in[0];
}
#endif
