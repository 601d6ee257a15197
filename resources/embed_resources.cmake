# Script mode (cmake -P): writes OUTPUT, a C++ source holding every file of
# RESOURCE_LIST ("type|name|file" items separated by commas) as a byte array,
# and the table that names them.

string(REPLACE "," ";" items "${RESOURCE_LIST}")
set(arrays "")
set(rows "")
set(index 0)
foreach(item ${items})
  string(REPLACE "|" ";" fields "${item}")
  list(GET fields 0 type)
  list(GET fields 1 name)
  list(GET fields 2 file)
  file(READ "${RESOURCE_DIR}/${file}" hex HEX)
  string(LENGTH "${hex}" hexLength)
  if(hexLength EQUAL 0)
    message(FATAL_ERROR "Resource file ${file} is empty")
  endif()
  math(EXPR size "${hexLength} / 2")
  # Sixteen bytes to a line keeps the generated source readable in a diff tool.
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){16})" "\\1\n  " bytes "${bytes}")
  string(APPEND arrays "// ${file}\nalignas(16) const std::uint8_t kBytes${index}[${size}] = {\n  ${bytes}\n};\n\n")
  string(APPEND rows "    {\"${type}\", \"${name}\", kBytes${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()

set(content "// Written by resources/embed_resources.cmake at build time; do not edit.
#include \"resources/resource_table.h\"

namespace tandrill_resources {
namespace {

${arrays}}  // namespace

const Entry kTable[] = {
${rows}};
const std::size_t kTableSize = sizeof(kTable) / sizeof(kTable[0]);

}  // namespace tandrill_resources
")

file(WRITE "${OUTPUT}" "${content}")
