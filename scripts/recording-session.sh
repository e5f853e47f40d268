# shellcheck shell=bash
# Sourced by the recording measurements: a private work folder and home, a 1920 x 1080 Xvfb
# screen and a PulseAudio server with a microphone playing a tone, all stopped on exit. Sets
# $work and appends to $pids (background processes killed on exit).
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/home/.config
export XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

for n in $(seq 260 360); do
  if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then export DISPLAY=:$n; break; fi
done
Xvfb "$DISPLAY" -nolisten tcp -screen 0 1920x1080x24 & pids+=($!)
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# A microphone with a tone: a null sink whose monitor, remapped, is an ordinary source.
pulseaudio --daemonize=no --exit-idle-time=-1 -n --disallow-exit --use-pid-file=false \
  -L module-native-protocol-unix -L "module-null-sink sink_name=nullsink" -L module-always-sink \
  -L "module-remap-source master=nullsink.monitor source_name=mic source_properties=device.description=Microphone" \
  >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 150); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
gst-launch-1.0 -q audiotestsrc is-live=true freq=440 volume=0.5 ! pulsesink device=nullsink \
  >/dev/null 2>&1 & pids+=($!)
sleep 1
