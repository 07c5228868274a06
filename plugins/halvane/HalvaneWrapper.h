/* The network printer discovery library: finds SNMP printers on the local segment or on a given network. */
#ifndef PELLORA_HALVANEWRAPPER_H
#define PELLORA_HALVANEWRAPPER_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* File name of the library in the program folder. */
#define HALVANE_LIBRARY_FILE_NAME "HalvaneWrapper.so"

/* The discovery object: pointer-sized and opaque; made by CreateHalvaneWrapper, passed to every other
 * entry point, released by DeleteHalvaneWrapper. */
typedef struct HalvaneWrapperObject* HalvaneHandle;

/* Range kinds of SetProbeRange. */
enum HalvaneRangeKind {
    HALVANE_RANGE_LOCAL_SEGMENT = 1, /* every up, non-loopback IPv4 interface's broadcast address */
    HALVANE_RANGE_NETWORK = 2        /* every host address of the given networks */
};

/* Notice bytes written to the descriptor given to Probe.
 *
 * The channel replaces a window message: the caller passes the write end of a pipe (or of a socket pair,
 * or a FIFO) and watches the read end, for example with a socket notifier on its window thread.
 * The library writes single bytes:
 *   HALVANE_NOTICE_RESULT  once per result, after the result was queued: fetch one result with
 *                          GetProbeResultA.
 *   HALVANE_NOTICE_END     once, after the last result notice of a probe that ran to its end.
 * Each byte read is one arrival: the reader fetches at most one result per byte, whatever its value, and
 * takes HALVANE_NOTICE_END as the end of the probe. No other values are written.
 *
 * Rules of the channel:
 * - Probe duplicates the descriptor and switches the shared open file to non-blocking mode (O_NONBLOCK);
 *   the caller keeps its own descriptor and may close it once Probe returned.
 * - Writes never wait. When the channel is full, unwritten notices are kept as a count and written as
 *   soon as the reader makes room, in the same order: no notice is dropped and HALVANE_NOTICE_END stays
 *   the last byte of its probe. The probe's thread stays alive until its notices are written or the probe
 *   is cancelled.
 * - When a write fails for another reason (the reader closed its end: EPIPE, no signal is raised), the
 *   probe writes no further notices; its results can still be fetched.
 * - A probe cancelled by a new Probe call or by DeleteHalvaneWrapper writes no end mark. Once Probe or
 *   DeleteHalvaneWrapper returned, nothing more is written for earlier probes, and nothing at all after
 *   DeleteHalvaneWrapper. Notices of a cancelled probe that were already written may still be unread: a
 *   caller that needs to tell probes apart gives each probe a pipe of its own.
 */
#define HALVANE_NOTICE_RESULT 'R'
#define HALVANE_NOTICE_END 'E'

/* One discovered printer, as GetProbeResultA writes it at the start of the caller's block. The texts are
 * NUL-terminated 8-bit strings inside the same block, after the record; they stay valid until the block
 * is freed. Empty texts are "" (never null).
 *
 *   64-bit layout                                 32-bit layout
 *   offset size field                             offset size
 *        0    8 modelName                              0    4
 *        8    8 macAddress                             4    4
 *       16    4 ipAddress[0..3]                        8    4
 *       20    4 reserved1 (zero, not read)            12    4
 *       24    8 deviceId                              16    4
 *       32    8 freeText                              20    4
 *       40   24 reserved2[3] (null, not read)         24   12
 *       64    8 interfaceName                         36    4
 *   size 72                                       size 40
 */
typedef struct ProbeResult {
    /* "MFG MDL" from the IEEE 1284 device ID, else hrDeviceDescr.1; may be empty. */
    const char* modelName;
    /* Physical address of the printer's interface that holds the answering address: twelve upper-case
     * hexadecimal digits without separators ("0050A1B2C3D4"); empty when unknown. */
    const char* macAddress;
    /* The answering IPv4 address, first octet first ("%d.%d.%d.%d" of [0], [1], [2], [3]). */
    unsigned char ipAddress[4];
    uint32_t reserved1;
    /* The IEEE 1284 device ID text; may be empty. */
    const char* deviceId;
    /* sysName.0, else sysLocation.0; may be empty. */
    const char* freeText;
    const void* reserved2[3];
    /* Name of the local network interface the answer came in on ("eth0"). */
    const char* interfaceName;
} ProbeResult;

#ifdef __cplusplus
#define HALVANE_STATIC_ASSERT(condition, text) static_assert(condition, text)
#else
#define HALVANE_STATIC_ASSERT(condition, text) _Static_assert(condition, text)
#endif

#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
HALVANE_STATIC_ASSERT(offsetof(ProbeResult, modelName) == 0, "ProbeResult layout");
HALVANE_STATIC_ASSERT(offsetof(ProbeResult, macAddress) == 8, "ProbeResult layout");
HALVANE_STATIC_ASSERT(offsetof(ProbeResult, ipAddress) == 16, "ProbeResult layout");
HALVANE_STATIC_ASSERT(offsetof(ProbeResult, reserved1) == 20, "ProbeResult layout");
HALVANE_STATIC_ASSERT(offsetof(ProbeResult, deviceId) == 24, "ProbeResult layout");
HALVANE_STATIC_ASSERT(offsetof(ProbeResult, freeText) == 32, "ProbeResult layout");
HALVANE_STATIC_ASSERT(offsetof(ProbeResult, reserved2) == 40, "ProbeResult layout");
HALVANE_STATIC_ASSERT(offsetof(ProbeResult, interfaceName) == 64, "ProbeResult layout");
HALVANE_STATIC_ASSERT(sizeof(ProbeResult) == 72, "ProbeResult layout");
#elif UINTPTR_MAX == 0xFFFFFFFFu
HALVANE_STATIC_ASSERT(offsetof(ProbeResult, ipAddress) == 8, "ProbeResult layout");
HALVANE_STATIC_ASSERT(offsetof(ProbeResult, deviceId) == 16, "ProbeResult layout");
HALVANE_STATIC_ASSERT(offsetof(ProbeResult, freeText) == 20, "ProbeResult layout");
HALVANE_STATIC_ASSERT(offsetof(ProbeResult, interfaceName) == 36, "ProbeResult layout");
HALVANE_STATIC_ASSERT(sizeof(ProbeResult) == 40, "ProbeResult layout");
#endif

#if defined(HALVANE_BUILDING_LIBRARY)
#define HALVANE_API __attribute__((visibility("default")))
#else
#define HALVANE_API
#endif

/* Makes a discovery object: time-out 2 seconds, no range. Null when out of memory. */
HALVANE_API HalvaneHandle CreateHalvaneWrapper(void);

/* Cancels a running probe (its thread is joined before this returns) and releases the object and every
 * result not fetched. Returns non-zero when an object was released. */
HALVANE_API int DeleteHalvaneWrapper(HalvaneHandle obj);

/* Sets the time-out in seconds for later probes: a probe ends this long after its last request of the
 * sweep went out (earlier when every host of a given network has answered and been read, at once when a
 * local-segment probe finds no interface to broadcast on). Values below 1 count as 1, above 60 as 60.
 * Returns non-zero on success. */
HALVANE_API int SetTimeout(HalvaneHandle obj, int seconds);

/* Sets the range of later probes.
 *   kind HALVANE_RANGE_LOCAL_SEGMENT: count 0, both pointers null.
 *   kind HALVANE_RANGE_NETWORK: count networks; addresses[i] and masks[i] are 32-bit values in network
 *   byte order (192.168.0.10 is the bytes 192, 168, 0, 10 in memory). Every host address of each network
 *   is asked (network and broadcast addresses are left out, except in /31 and /32 networks); the address
 *   need not be the network's first.
 * Refused (returns 0 and leaves no range set, so that Probe then fails): another kind; count outside
 * 1..16 for networks; null pointers; a mask that is not contiguous; a network larger than a /16; more than
 * 65,536 host addresses in all. reserved must be 0. Returns non-zero when the range was taken. */
HALVANE_API int SetProbeRange(HalvaneHandle obj, int kind, int count, const uint32_t* addresses,
                              const uint32_t* masks, int reserved);

/* Starts a probe with the current time-out and range on a thread of the library; a probe still running is
 * cancelled first (and joined) and the results not fetched are discarded. noticeFd is the channel
 * described above. Returns non-zero when the probe started, 0 when no range is set, noticeFd is not an
 * open descriptor, or the network socket cannot be made.
 *
 * SNMP versions 1 and 2c, community "public", UDP port 161. Every target gets a GetNext request in both
 * versions (at most 10,000 datagrams a second after a first burst of 256, all over one socket); a
 * responder is a printer when hrDeviceType.1 is hrDevicePrinter or it answers the printer MIB, and is
 * then asked for its physical address: ipAdEntIfIndex.<answering address> names the interface whose
 * ifPhysAddress is taken; when that is missing or no 6-byte address, the first non-zero 6-byte
 * ifPhysAddress of the interface table is taken instead. Replies that do not parse, are larger than
 * 4,096 bytes, carry another community, version or request id, or come from an address that was not
 * asked (for broadcasts: outside the interface's subnet) are dropped. Printers whose physical address was
 * already reported in this probe (the same printer answering on two interfaces) are reported once. */
HALVANE_API int Probe(HalvaneHandle obj, int noticeFd);

/* Fetches the oldest result not yet fetched; call it from one thread only.
 *   buffer null: *size becomes the number of bytes the result needs, 0 when none is waiting; returns
 *                non-zero when one is waiting.
 *   buffer given: when *size is at least that number, writes the ProbeResult and its texts into the
 *                buffer (any alignment), removes the result from the queue, sets *size and returns
 *                non-zero; otherwise sets *size to the number needed and returns 0.
 * Returns 0 when size is null or no result is waiting. */
HALVANE_API int GetProbeResultA(HalvaneHandle obj, void* buffer, uint32_t* size);

/* The entry points' types, for loaders. */
typedef HalvaneHandle (*CreateHalvaneWrapperFunction)(void);
typedef int (*DeleteHalvaneWrapperFunction)(HalvaneHandle obj);
typedef int (*SetTimeoutFunction)(HalvaneHandle obj, int seconds);
typedef int (*SetProbeRangeFunction)(HalvaneHandle obj, int kind, int count, const uint32_t* addresses,
                                      const uint32_t* masks, int reserved);
typedef int (*ProbeFunction)(HalvaneHandle obj, int noticeFd);
typedef int (*GetProbeResultAFunction)(HalvaneHandle obj, void* buffer, uint32_t* size);

#ifdef __cplusplus
}
#endif

#endif
