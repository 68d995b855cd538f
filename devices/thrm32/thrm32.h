/* THRM32: the thermocouple logger library. Plain C exports only. */
#ifndef QV_THRM32_H
#define QV_THRM32_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

int thrm_open_unit(int16_t port);
void thrm_close_unit(int16_t port);
int thrm_set_resolution(int16_t port, int16_t bits);
int thrm_set_channel(int16_t port, int16_t channel, char type, int16_t factor, int16_t offset, int16_t gain);
int thrm_get_temp(long* value, int16_t port, int16_t channel, int16_t filtered);
int thrm_get_cold_junction(long* value, int16_t port);
int thrm_get_version(int16_t* version, int16_t port);
int thrm_get_cycle(long* cycle, int16_t port);
int thrm_get_driver_version(void);
void thrm_poll_driver(void);
void thrm_update_filters(void);
int thrm_labview(float* value, int16_t port, int16_t channel, const char* type, int16_t factor, int16_t gain,
                 int16_t offset);

#ifdef __cplusplus
}
#endif

#endif
