# Linux on 32-bit x86: the native compiler with -m32, and the programs run under qemu-i386 so that
# calling conventions and 4-byte pointers are those of the product's platform.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_ASM_COMPILER gcc)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_ASM_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")

# The 32-bit libraries live beside the 64-bit ones: -L / lets qemu find the loader and them.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386 -L /)
