# Checks a firmware image and turns it into C++ constant data.
#
#   cmake -DIMAGE=<image.bin> [-DOUTPUT=<firmware_image_data.cpp>] -P EmbedFirmwareImage.cmake
#
# Without OUTPUT it only checks. An image the program could not send whole, or whose identity
# text runs past its block, stops the build here rather than misleading an operator later.

set(kImageSize 262144)
set(kIdentityOffset 130588)  # 0x1FE1C
set(kIdentityLength 50)

if(NOT DEFINED IMAGE)
  message(FATAL_ERROR "EmbedFirmwareImage: IMAGE is not set")
endif()
if(NOT EXISTS "${IMAGE}" OR IS_DIRECTORY "${IMAGE}")
  message(FATAL_ERROR " firmware image ${IMAGE} does not exist")
endif()

# Messages start with a space: CMake then prints them on one line as they are, instead of
# rewrapping them around a long path.
file(SIZE "${IMAGE}" size)
if(NOT size EQUAL kImageSize)
  message(FATAL_ERROR " firmware image ${IMAGE} is ${size} bytes; it must be exactly ${kImageSize} bytes")
endif()

file(READ "${IMAGE}" identity OFFSET ${kIdentityOffset} LIMIT ${kIdentityLength} HEX)
string(REGEX MATCHALL ".." identityBytes "${identity}")
list(FIND identityBytes "00" terminator)
if(terminator EQUAL -1)
  message(FATAL_ERROR " firmware image ${IMAGE}: the identity text at 0x1FE1C has no zero byte within its 50 bytes")
endif()

if(NOT DEFINED OUTPUT)
  return()
endif()

file(READ "${IMAGE}" hex HEX)
# 16 bytes a line: "0xab,0xcd,...". (CMake's regular expressions have no {n}.)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x..," 16 line)
string(REGEX REPLACE "(${line})" "\\1\n" bytes "${bytes}")

file(WRITE "${OUTPUT}.tmp" "// Generated at build time from ${IMAGE} by cmake/EmbedFirmwareImage.cmake. Do not edit.
#include \"upgrade/firmware_image_data.h\"

// The image was checked with these places and sizes; they must be the ones the program reads.
static_assert(kFirmwareImageSize == ${kImageSize});
static_assert(kIdentityTextOffset == ${kIdentityOffset} && kIdentityTextLength == ${kIdentityLength});

alignas(4) const std::uint8_t kFirmwareImageData[kFirmwareImageSize] = {
${bytes}};
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
