set(cross_triplet s390x-linux-gnu)
set(cross_qemu qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/debian.cmake)
