#pragma once
/* The TCM-User ring's layout, read through C: the kernel's header
   (linux/target_core_user.h) is C only. Entries are addressed by pointer;
   offsets in them are relative to the mailbox. */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { kAbiOpPad = 0, kAbiOpCmd = 1, kAbiOpTmr = 2 };

uint32_t tcmu_abi_cmdr_off(const void* mailbox);
uint32_t tcmu_abi_cmdr_size(const void* mailbox);
uint32_t tcmu_abi_cmd_head(const void* mailbox);
uint32_t tcmu_abi_cmd_tail(const void* mailbox);
void tcmu_abi_set_cmd_tail(void* mailbox, uint32_t tail);
int tcmu_abi_reports_read_length(const void* mailbox);

int tcmu_abi_op(const void* entry);
uint32_t tcmu_abi_length(const void* entry);
uint16_t tcmu_abi_id(const void* entry);
uint64_t tcmu_abi_cdb_offset(const void* entry);
uint32_t tcmu_abi_buffer_count(const void* entry);
void tcmu_abi_buffer(const void* entry, uint32_t i, uint64_t* offset, size_t* length);
uint8_t tcmu_abi_task_type(const void* entry);
uint32_t tcmu_abi_task_count(const void* entry);
uint16_t tcmu_abi_task_id(const void* entry, uint32_t i);
/* Writes an answer for command `id` into `entry`; read_length < 0: none. */
void tcmu_abi_answer(void* entry, uint16_t id, uint8_t status, const uint8_t* sense,
                     size_t sense_length, int64_t read_length);

#ifdef __cplusplus
}
#endif
