/* A plugin for qemu's user-mode emulator that counts the guest instructions
 * executed and the memory accesses they make, and prints both on standard
 * error at exit: "insns N mem M". The decoder bench uses it to compare two
 * decoders built for a processor this machine cannot run (i386 on a kernel
 * that refuses 32-bit programs): counts, not time, but the same for both.
 *
 * Debian's qemu-user is built with plugin support but ships no header for it;
 * the few calls used are declared here as the plugin interface (version 1)
 * defines them. Build: gcc -shared -fPIC -O2 insn_count_plugin.c -o insn_count.so
 * Use: qemu-i386 -plugin ./insn_count.so PROGRAM ARGS... */
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

typedef uint64_t qemu_plugin_id_t;
struct qemu_plugin_tb;
struct qemu_plugin_insn;
enum qemu_plugin_op { QEMU_PLUGIN_INLINE_ADD_U64 };
enum qemu_plugin_mem_rw { QEMU_PLUGIN_MEM_R = 1, QEMU_PLUGIN_MEM_W, QEMU_PLUGIN_MEM_RW };
typedef void (*TranslateCallback)(qemu_plugin_id_t id, struct qemu_plugin_tb* tb);
typedef void (*ExitCallback)(qemu_plugin_id_t id, void* data);

extern void qemu_plugin_register_vcpu_tb_trans_cb(qemu_plugin_id_t id, TranslateCallback cb);
extern size_t qemu_plugin_tb_n_insns(const struct qemu_plugin_tb* tb);
extern struct qemu_plugin_insn* qemu_plugin_tb_get_insn(const struct qemu_plugin_tb* tb, size_t index);
extern void qemu_plugin_register_vcpu_tb_exec_inline(struct qemu_plugin_tb* tb, enum qemu_plugin_op op, void* ptr,
                                                     uint64_t imm);
extern void qemu_plugin_register_vcpu_mem_inline(struct qemu_plugin_insn* insn, enum qemu_plugin_mem_rw rw,
                                                 enum qemu_plugin_op op, void* ptr, uint64_t imm);
extern void qemu_plugin_register_atexit_cb(qemu_plugin_id_t id, ExitCallback cb, void* data);

__attribute__((visibility("default"))) int qemu_plugin_version = 1;

/* The benches run one thread: plain counters are enough. */
static uint64_t instructions, accesses;

/* Each translated block adds its length when it runs, and each of its
 * instructions one per memory access. */
static void Translated(qemu_plugin_id_t id, struct qemu_plugin_tb* tb) {
    (void)id;
    size_t n = qemu_plugin_tb_n_insns(tb);
    qemu_plugin_register_vcpu_tb_exec_inline(tb, QEMU_PLUGIN_INLINE_ADD_U64, &instructions, n);
    for (size_t i = 0; i < n; ++i)
        qemu_plugin_register_vcpu_mem_inline(qemu_plugin_tb_get_insn(tb, i), QEMU_PLUGIN_MEM_RW,
                                             QEMU_PLUGIN_INLINE_ADD_U64, &accesses, 1);
}

static void Exited(qemu_plugin_id_t id, void* data) {
    (void)id;
    (void)data;
    fprintf(stderr, "insns %llu mem %llu\n", (unsigned long long)instructions, (unsigned long long)accesses);
}

__attribute__((visibility("default"))) int qemu_plugin_install(qemu_plugin_id_t id, const void* info, int argc,
                                                               char** argv) {
    (void)info;
    (void)argc;
    (void)argv;
    qemu_plugin_register_vcpu_tb_trans_cb(id, Translated);
    qemu_plugin_register_atexit_cb(id, Exited, NULL);
    return 0;
}
