/* A user-function library as a user's build makes it, in four cuts chosen by
   the definitions HAS_USERFUNCTION, HAS_INIT and HAS_INITWAVEFORMS:
   OUTk = INk, with counters the tests read through the same module. */
#define EXPORT __attribute__((visibility("default")))

EXPORT int uf_init_calls = 0;
EXPORT int uf_calls_since_init = 0;
EXPORT int uf_waveform_calls = 0;
EXPORT int uf_waveform_points = -1;
EXPORT double uf_last_in[16];

#ifdef HAS_USERFUNCTION
EXPORT void UserFunction(double* in, double* out) {
  int k;
  for (k = 0; k < 16; ++k) uf_last_in[k] = in[k];
  for (k = 0; k < 12; ++k) out[k] = in[k];
  ++uf_calls_since_init;
}
#endif

#ifdef HAS_INIT
EXPORT void Init(void) {
  ++uf_init_calls;
  uf_calls_since_init = 0;
}
#endif

#ifdef HAS_INITWAVEFORMS
EXPORT void InitWaveforms(short* w1, short* w2, short* w3, short* w4, int n) {
  (void)w1;
  (void)w2;
  (void)w3;
  (void)w4;
  ++uf_waveform_calls;
  uf_waveform_points = n;
}
#endif
