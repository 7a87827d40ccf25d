# Writes INPUT as a C++ byte array named NAME into OUTPUT, so the program carries the file in itself.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" len)
math(EXPR count "${len} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
# In NAMESPACE when one is given, where the program declares it.
set(open "")
set(close "")
if(NAMESPACE)
  set(open "namespace ${NAMESPACE} {\n")
  set(close "}\n")
endif()
file(WRITE ${OUTPUT} "#include <cstddef>\n${open}extern const unsigned char ${NAME}[] = {\n${bytes}\n};\nextern const std::size_t ${NAME}Size = ${count};\n${close}")
