# Signing: on when the environment names a certificate as the tree is
# configured (see scripts/sign.sh); the choice is kept, the certificate and
# its password are not. Without one the build is unsigned and reproducible.
if(NOT DEFINED VANTOR_SIGN)
  set(sign OFF)
  if(DEFINED ENV{VANTOR_SIGN_COMMAND} OR DEFINED ENV{VANTOR_SIGN_PKCS12} OR
     (DEFINED ENV{VANTOR_SIGN_CERT} AND DEFINED ENV{VANTOR_SIGN_KEY}))
    set(sign ON)
  endif()
  set(VANTOR_SIGN ${sign} CACHE BOOL "sign the product's programs and the setup with the certificate the environment names")
endif()

# Signs the target's file in place once it is linked: the product's programs
# before they are packed, the setup as the last step.
function(vantor_sign target)
  if(VANTOR_SIGN)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/sign.sh $<TARGET_FILE:${target}>
      VERBATIM)
  endif()
endfunction()
