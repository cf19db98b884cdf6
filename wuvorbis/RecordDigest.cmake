# Writes "<size> <sha256>" of the library LIB to LIB.sha256, through a
# temporary name. The game refuses a library that no longer matches it.
file(SIZE "${LIB}" size)
file(SHA256 "${LIB}" digest)
file(WRITE "${LIB}.sha256.part" "${size} ${digest}\n")
file(RENAME "${LIB}.sha256.part" "${LIB}.sha256")
