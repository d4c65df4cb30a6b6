set(cross_triplet aarch64-linux-gnu)
set(cross_qemu qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/debian.cmake)
