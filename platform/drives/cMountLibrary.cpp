#include "platform/drives/cMountLibrary.h"

namespace lyn {

bool cMountLibrary::fncbLoad() {
  return library.fncbFind("mnt_new_table", new_table) &&
         library.fncbFind("mnt_unref_table", unref_table) &&
         library.fncbFind("mnt_table_set_parser_errcb", table_set_parser_errcb) &&
         library.fncbFind("mnt_table_parse_stream", table_parse_stream) &&
         library.fncbFind("mnt_table_next_fs", table_next_fs) &&
         library.fncbFind("mnt_new_iter", new_iter) && library.fncbFind("mnt_free_iter", free_iter) &&
         library.fncbFind("mnt_fs_get_target", fs_get_target) &&
         library.fncbFind("mnt_fs_get_source", fs_get_source) &&
         library.fncbFind("mnt_fs_get_fstype", fs_get_fstype) &&
         library.fncbFind("mnt_fs_get_devno", fs_get_devno) &&
         library.fncbFind("mnt_fstype_is_netfs", fstype_is_netfs) &&
         library.fncbFind("mnt_fstype_is_pseudofs", fstype_is_pseudofs) &&
         library.fncbFind("mnt_new_monitor", new_monitor) &&
         library.fncbFind("mnt_unref_monitor", unref_monitor) &&
         library.fncbFind("mnt_monitor_enable_kernel", monitor_enable_kernel) &&
         library.fncbFind("mnt_monitor_get_fd", monitor_get_fd) &&
         library.fncbFind("mnt_monitor_next_change", monitor_next_change);
}

}  // namespace lyn
