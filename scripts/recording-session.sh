# shellcheck shell=bash
# Sourced by the recording measurements: a private work folder and home, a 1920 x 1080 Xvfb
# screen and a PulseAudio server with a microphone playing a tone, all stopped on exit. Sets
# $work and appends to $pids (background processes killed on exit).
#   session_screen (default 1920x1080)  the screen's size, set before sourcing
#   session_mic_drift_ppm (default 0)   a microphone whose clock runs this far off the system's:
#                                       a FIFO source fed at 48 kHz x (1 + ppm / 10^6), as a sound
#                                       card with its own crystal delivers
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
Xvfb "$DISPLAY" -nolisten tcp -screen 0 "${session_screen:-1920x1080}x24" & pids+=($!)
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

drift=${session_mic_drift_ppm:-0}
if [ "$drift" = 0 ]; then
  # A microphone with a tone: a null sink whose monitor, remapped, is an ordinary source.
  mic_module="module-remap-source master=nullsink.monitor source_name=mic"
else
  mic_module="module-pipe-source file=$work/mic.fifo format=s16le rate=48000 channels=2 source_name=mic"
fi
pulseaudio --daemonize=no --exit-idle-time=-1 -n --disallow-exit --use-pid-file=false \
  -L module-native-protocol-unix -L "module-null-sink sink_name=nullsink" -L module-always-sink \
  -L "$mic_module source_properties=device.description=Microphone" \
  >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 150); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
if [ "$drift" = 0 ]; then
  gst-launch-1.0 -q audiotestsrc is-live=true freq=440 volume=0.5 ! pulsesink device=nullsink \
    >/dev/null 2>&1 & pids+=($!)
else
  # The tone at the drifting rate, written in 10-ms pieces as it is made; what the FIFO cannot
  # take while nobody records is thrown away, so a recording starts with the present.
  mic_rate=$(echo "48000 * (1 + $drift / 1000000)" | bc -l | xargs printf '%.0f')
  gst-launch-1.0 -q audiotestsrc is-live=true freq=440 volume=0.5 samplesperbuffer=480 ! \
    "audio/x-raw,format=S16LE,rate=$mic_rate,channels=2" ! \
    queue leaky=downstream max-size-time=100000000 max-size-buffers=0 max-size-bytes=0 ! \
    filesink buffer-mode=unbuffered location="$work/mic.fifo" >/dev/null 2>&1 & pids+=($!)
fi
sleep 1
