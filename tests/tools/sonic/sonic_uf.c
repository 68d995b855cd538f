/* A sonic user function for the tests: outputs copy the inputs (output 12 to
 * 15 are set to 999 so a test sees them replaced), and it counts its Init and
 * InitWaveforms calls. */
#include <stdint.h>

static int g_init, g_initWaveforms, g_points;
static double g_in[16];
static int16_t* g_w[4];

void UserFunction(double* in, double* out) {
  for (int i = 0; i < 16; ++i) g_in[i] = in[i];
  for (int i = 0; i < 12; ++i) out[i] = in[i];
  for (int i = 12; i < 16; ++i) out[i] = 999.0;
}
void Init(void) { ++g_init; }
void InitWaveforms(int16_t* w1, int16_t* w2, int16_t* w3, int16_t* w4, int points) {
  ++g_initWaveforms;
  g_points = points;
  g_w[0] = w1; g_w[1] = w2; g_w[2] = w3; g_w[3] = w4;
}

int TestInitCalls(void) { return g_init; }
int TestInitWaveformsCalls(void) { return g_initWaveforms; }
int TestPoints(void) { return g_points; }
double TestInput(int i) { return g_in[i]; }
int16_t* TestWaveform(int i) { return g_w[i]; }
