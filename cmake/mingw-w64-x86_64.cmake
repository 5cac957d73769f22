# Cross build for 64-bit Windows with Debian's mingw-w64 (the posix thread model, so that
# std::thread works); everything linked statically, so Wine needs no runtime DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# A Qt built for Windows (scripts/build-qt-windows) is searched there too; its build tools
# are the host's.
if(PELNOR_QT_WINDOWS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${PELNOR_QT_WINDOWS})
  set(QT_HOST_PATH /usr CACHE PATH "")
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PELNOR_QT_WINDOWS)
