# cmake -D SOURCE=file -D TARGET=file -P copy-if-missing.cmake
# Copies SOURCE to TARGET unless TARGET exists already.
if(NOT EXISTS "${TARGET}")
    file(COPY_FILE "${SOURCE}" "${TARGET}")
endif()
