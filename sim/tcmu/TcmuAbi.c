#include "TcmuAbi.h"

#include <stddef.h>
#include <string.h>
#include <sys/uio.h>

/* glibc's <sys/uio.h> already defines struct iovec. */
#define __LINUX_UIO_H
#include <linux/target_core_user.h>

static const struct tcmu_mailbox* mb(const void* p) { return (const struct tcmu_mailbox*)p; }
static const struct tcmu_cmd_entry* ent(const void* p) { return (const struct tcmu_cmd_entry*)p; }
static const struct tcmu_tmr_entry* tmr(const void* p) { return (const struct tcmu_tmr_entry*)p; }

uint32_t tcmu_abi_cmdr_off(const void* m) { return mb(m)->cmdr_off; }
uint32_t tcmu_abi_cmdr_size(const void* m) { return mb(m)->cmdr_size; }
uint32_t tcmu_abi_cmd_head(const void* m) { return __atomic_load_n(&mb(m)->cmd_head, __ATOMIC_ACQUIRE); }
uint32_t tcmu_abi_cmd_tail(const void* m) { return __atomic_load_n(&mb(m)->cmd_tail, __ATOMIC_ACQUIRE); }
void tcmu_abi_set_cmd_tail(void* m, uint32_t tail) {
  __atomic_store_n(&((struct tcmu_mailbox*)m)->cmd_tail, tail, __ATOMIC_RELEASE);
}
int tcmu_abi_reports_read_length(const void* m) {
  return (mb(m)->flags & TCMU_MAILBOX_FLAG_CAP_READ_LEN) != 0;
}

int tcmu_abi_op(const void* e) { return (int)tcmu_hdr_get_op(ent(e)->hdr.len_op); }
uint32_t tcmu_abi_length(const void* e) { return tcmu_hdr_get_len(ent(e)->hdr.len_op); }
uint16_t tcmu_abi_id(const void* e) { return ent(e)->hdr.cmd_id; }
uint64_t tcmu_abi_cdb_offset(const void* e) { return ent(e)->req.cdb_off; }
uint32_t tcmu_abi_buffer_count(const void* e) { return ent(e)->req.iov_cnt; }
void tcmu_abi_buffer(const void* e, uint32_t i, uint64_t* offset, size_t* length) {
  struct iovec iov;
  memcpy(&iov, (const char*)e + offsetof(struct tcmu_cmd_entry, req.iov) + i * sizeof iov, sizeof iov);
  *offset = (uint64_t)(uintptr_t)iov.iov_base;
  *length = iov.iov_len;
}
uint8_t tcmu_abi_task_type(const void* e) { return tmr(e)->tmr_type; }
uint32_t tcmu_abi_task_count(const void* e) { return tmr(e)->cmd_cnt; }
uint16_t tcmu_abi_task_id(const void* e, uint32_t i) { return tmr(e)->cmd_ids[i]; }

void tcmu_abi_answer(void* e, uint16_t id, uint8_t status, const uint8_t* sense,
                     size_t sense_length, int64_t read_length) {
  struct tcmu_cmd_entry* entry = (struct tcmu_cmd_entry*)e;
  entry->hdr.cmd_id = id;
  entry->hdr.uflags = 0;
  entry->rsp.scsi_status = status;
  memset(entry->rsp.sense_buffer, 0, sizeof entry->rsp.sense_buffer);
  if (sense_length > sizeof entry->rsp.sense_buffer) sense_length = sizeof entry->rsp.sense_buffer;
  if (sense_length > 0) memcpy(entry->rsp.sense_buffer, sense, sense_length);
  if (read_length >= 0) {
    entry->hdr.uflags |= TCMU_UFLAG_READ_LEN;
    entry->rsp.read_len = (uint32_t)read_length;
  }
}
