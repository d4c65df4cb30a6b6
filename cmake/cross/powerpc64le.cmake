set(cross_triplet powerpc64le-linux-gnu)
set(cross_qemu qemu-ppc64le)
include(${CMAKE_CURRENT_LIST_DIR}/debian.cmake)
