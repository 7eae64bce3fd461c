#pragma once
// libmount, loaded when a mount table is first read or watched rather than at start-up: a run
// that never asks for the drives (playing a book given by its folder) never maps it, nor
// libblkid, libselinux and libpcre2 behind it. libmount's header gives the types; the functions
// come from the library loaded at run time.
//
// Errors: the library or one of the functions below is missing -> fncbLoad() false, the
// loader's reason in library.fncError().

#include <libmount.h>

#include "platform/files/cSharedLibrary.h"

namespace lyn {

struct cMountLibrary {
  // Kept mapped once loaded: the next cDrives or cMountMonitor finds it at once.
  cSharedLibrary library{"libmount.so.1", true};
  decltype(&mnt_new_table) new_table = nullptr;
  decltype(&mnt_unref_table) unref_table = nullptr;
  decltype(&mnt_table_set_parser_errcb) table_set_parser_errcb = nullptr;
  decltype(&mnt_table_parse_stream) table_parse_stream = nullptr;
  decltype(&mnt_table_next_fs) table_next_fs = nullptr;
  decltype(&mnt_new_iter) new_iter = nullptr;
  decltype(&mnt_free_iter) free_iter = nullptr;
  decltype(&mnt_fs_get_target) fs_get_target = nullptr;
  decltype(&mnt_fs_get_source) fs_get_source = nullptr;
  decltype(&mnt_fs_get_fstype) fs_get_fstype = nullptr;
  decltype(&mnt_fs_get_devno) fs_get_devno = nullptr;
  decltype(&mnt_fstype_is_netfs) fstype_is_netfs = nullptr;
  decltype(&mnt_fstype_is_pseudofs) fstype_is_pseudofs = nullptr;
  decltype(&mnt_new_monitor) new_monitor = nullptr;
  decltype(&mnt_unref_monitor) unref_monitor = nullptr;
  decltype(&mnt_monitor_enable_kernel) monitor_enable_kernel = nullptr;
  decltype(&mnt_monitor_get_fd) monitor_get_fd = nullptr;
  decltype(&mnt_monitor_next_change) monitor_next_change = nullptr;

  bool fncbLoad();
};

}  // namespace lyn
