# arch32.sh (sourced): decides whether this machine can run 32-bit programs, which the i686 Windows
# programs need through Wine's 32-bit loader.  Some kernels have 32-bit emulation switched off: every
# 32-bit program then fails with "Exec format error".  PLX_NO_32BIT=1 makes any machine behave so.
# Sets PLX_RUN_I686 to 1 or 0 and PLX_I686_SKIPPED to the line the scripts print when it is 0.
PLX_I686_SKIPPED="i686 tests not run: this kernel cannot run 32-bit programs"
plx_check_32bit() {
  if [[ ${PLX_NO_32BIT:-0} == 1 ]]; then
    PLX_RUN_I686=0
    PLX_I686_SKIPPED="$PLX_I686_SKIPPED (PLX_NO_32BIT=1)"
  elif [[ -x /usr/lib/wine/wine ]] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    PLX_RUN_I686=1
  else
    PLX_RUN_I686=0
  fi
  export PLX_RUN_I686
}
# The architectures whose Windows programs can run here.
plx_run_arches() { if [[ $PLX_RUN_I686 == 1 ]]; then echo "i686 x86_64"; else echo "x86_64"; fi; }
# The Wine loader of an architecture, called directly: Debian's "wine" wrapper sends everything to the
# 32-bit loader whenever wine32 is installed, even in a 64-bit prefix.
plx_wine_loader() { if [[ $1 == i686 ]]; then echo /usr/lib/wine/wine; else echo /usr/lib/wine/wine64; fi; }
