# SPDX-License-Identifier: GPL-3.0-or-later
# VANTREL_SANITIZE=address,undefined or thread: applied to every target.
if(VANTREL_SANITIZE)
  add_compile_options(-fsanitize=${VANTREL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${VANTREL_SANITIZE})
endif()
