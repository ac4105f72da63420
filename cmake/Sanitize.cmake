# MAKEBIN_SANITIZE: every target of the tree (library, native tests, GoogleTest,
# board simulator) is built with AddressSanitizer and UndefinedBehaviorSanitizer,
# and the first report ends the program, so a test run fails on it.
# Meant for a tree of its own: -DMAKEBIN_ARCHS=x86_64 -DMAKEBIN_JAVA=OFF.
if(MAKEBIN_SANITIZE)
  set(MAKEBIN_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
                              -fno-omit-frame-pointer)
  add_compile_options(${MAKEBIN_SANITIZER_FLAGS})
  add_link_options(${MAKEBIN_SANITIZER_FLAGS})
endif()
