set(cross_triplet riscv64-linux-gnu)
set(cross_qemu qemu-riscv64)
include(${CMAKE_CURRENT_LIST_DIR}/debian.cmake)
