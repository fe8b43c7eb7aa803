# tko_target_defaults(TARGET): the warnings and Qt text-conversion defines every
# target of the project is built with. TKO_WERROR turns warnings into errors
# (CI builds with it on).
option(TKO_WERROR "Treat compiler warnings as errors" OFF)

function(tko_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${TKO_WERROR}>:-Werror>)
  # Keep conversions between char* and QString explicit everywhere.
  target_compile_definitions(${target} PRIVATE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING QT_USE_QSTRINGBUILDER)
endfunction()
