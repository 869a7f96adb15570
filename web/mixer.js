// The game's mixer calls on Web Audio, in place of those of emscripten's SDL
// emulation, which fakes several of them: a fade-in aborts the program, a
// fade-out stops at once, a timed play ignores its time, there are 32
// channels instead of the 8 asked for, and a sound that cannot be decoded
// still loads. Here, as in SDL_mixer: 8 channels of which the first
// Mix_ReserveChannels are never taken by channel -1, volumes 0 to 128 (more
// is 128), a sound plays loops + 1 times, and a channel or the music counts
// as playing until its sound has ended on the audio clock, fades included.
//
// Sounds are decoded while the site loads (a preload plugin, below), so that
// loading in the program stays synchronous and a file that does not decode
// returns NULL, as on the desktop. Where the browser has no Ogg Vorbis
// decoder, the program's own decodes the file when it is loaded.
mergeInto(LibraryManager.library, {
  $Mixer__deps: ['$PATH_FS'],
  $Mixer__postset: "(Module['preloadPlugins'] = Module['preloadPlugins'] || []).unshift(Mixer.soundPlugin); Module['mixer'] = Mixer;",
  $Mixer: {
    decoded: {},     // file name -> AudioBuffer, or null when it did not decode
    sounds: [null],  // handle -> AudioBuffer; handle 0 is NULL
    channels: [],
    reserved: 0,
    music: null,
    ctx: null,

    soundPlugin: {
      'canHandle': function(name) { return /\.(ogg|wav)$/i.test(name); },
      'handle': function(bytes, name, onload) {
        // Decoded at the mixer's own rate, 22050 Hz, as SDL_mixer converts.
        // A browser that cannot decode it leaves it to the program.
        var decoder = new OfflineAudioContext(1, 1, 22050);
        decoder.decodeAudioData(bytes.slice().buffer).then(
          function(buffer) { Mixer.decoded[name] = buffer; },
          function() { Mixer.decoded[name] = bytes.slice(); }
        ).then(function() { onload(bytes); });
      },
    },
    // The program's own decoder (web/vorbis.c), mixed down to one channel
    // as the browser's is; null when the file does not decode either.
    vorbis: function(bytes) {
      var data = _malloc(bytes.length), out = _malloc(12);
      HEAPU8.set(bytes, data);
      var frames = _stb_vorbis_decode_memory(data, bytes.length, out, out + 4, out + 8);
      var channels = HEAP32[out >> 2], rate = HEAP32[(out + 4) >> 2], pcm = HEAP32[(out + 8) >> 2];
      _free(data);
      _free(out);
      if (frames <= 0) return null;
      var buffer = Mixer.ctx.createBuffer(1, frames, rate), mono = buffer.getChannelData(0);
      for (var i = 0, at = pcm >> 1; i < frames; i++) {
        var sum = 0;
        for (var c = 0; c < channels; c++) sum += HEAP16[at++];
        mono[i] = sum / channels / 32768;
      }
      _free(pcm);
      return buffer;
    },

    open: function() {
      var ctx = Mixer.ctx = Module['audioContext'] || new AudioContext();
      var out = Module['audioOut'] || ctx.destination;
      function line() {
        var gain = ctx.createGain();
        gain.connect(out);
        return {gain: gain, volume: 128, src: null, end: 0, fadestart: 0, fadeend: 0, fading: 0};
      }
      Mixer.channels = [];
      for (var i = 0; i < 8; i++) Mixer.channels.push(line());
      Mixer.music = line();
    },
    load: function(file) {
      var name = PATH_FS.resolve(file), buffer = Mixer.decoded[name];
      if (buffer instanceof Uint8Array) buffer = Mixer.decoded[name] = Mixer.vorbis(buffer);
      if (!buffer) return 0;
      Mixer.sounds.push(buffer);
      return Mixer.sounds.length - 1;
    },
    playing: function(line) {
      return line.src && line.end > Mixer.ctx.currentTime ? 1 : 0;
    },
    halt: function(line) {
      if (line.src) line.src.stop();
      line.src = null;
      line.end = 0;
    },
    // Sets a line's gain now, or ramps it from 0 over fadems.
    level: function(line, fadems) {
      var now = Mixer.ctx.currentTime, gain = line.gain.gain;
      gain.cancelScheduledValues(now);
      gain.setValueAtTime(fadems > 0 ? 0 : line.volume / 128, now);
      if (fadems > 0) gain.linearRampToValueAtTime(line.volume / 128, now + fadems / 1000);
      line.fadestart = now;
      line.fadeend = now + Math.max(fadems, 0) / 1000;
      line.fading = fadems > 0 ? 2 : 0;  // MIX_FADING_IN
    },
    // MIX_NO_FADING, MIX_FADING_OUT or MIX_FADING_IN.
    fading: function(line) {
      return Mixer.playing(line) && Mixer.ctx.currentTime < line.fadeend ? line.fading : 0;
    },
    // seconds is how long the line plays, or Infinity.
    start: function(line, buffer, seconds, fadems) {
      Mixer.halt(line);
      var now = Mixer.ctx.currentTime, src = Mixer.ctx.createBufferSource();
      src.buffer = buffer;
      src.loop = seconds > buffer.duration;
      src.connect(line.gain);
      src.start(now);
      if (seconds != Infinity) src.stop(now + seconds);
      line.src = src;
      line.end = now + seconds;
      Mixer.level(line, fadems);
    },
    // As SDL_mixer, a channel fading in answers with the volume it has
    // reached.
    setvolume: function(line, volume) {
      var old = line.volume;
      if (Mixer.fading(line) == 2)
        old = Math.floor(old * (Mixer.ctx.currentTime - line.fadestart) / (line.fadeend - line.fadestart));
      if (volume >= 0) {
        line.volume = Math.min(volume, 128);
        // A fade sets the gain itself until it is over.
        if (Mixer.ctx.currentTime >= line.fadeend) Mixer.level(line, 0);
      }
      return old;
    },
    play: function(channel, chunk, loops, ms, ticks) {
      var buffer = Mixer.sounds[chunk];
      if (!buffer) return -1;
      if (channel == -1) {
        for (var i = Mixer.reserved; i < Mixer.channels.length && channel == -1; i++)
          if (!Mixer.playing(Mixer.channels[i])) channel = i;
        if (channel == -1) return -1;
      }
      var line = Mixer.channels[channel];
      if (!line) return -1;
      var seconds = loops < 0 ? Infinity : buffer.duration * (loops + 1);
      if (ticks >= 0) seconds = Math.min(seconds, ticks / 1000);
      Mixer.start(line, buffer, seconds, ms);
      return channel;
    },
  },

  Mix_OpenAudio__deps: ['$Mixer'],
  Mix_OpenAudio: function(frequency, format, channels, chunksize) {
    Mixer.open();
    return 0;
  },
  Mix_CloseAudio__deps: ['$Mixer'],
  Mix_CloseAudio: function() {
    Mixer.channels.forEach(Mixer.halt);
    Mixer.halt(Mixer.music);
  },
  Mix_AllocateChannels__deps: ['$Mixer'],
  Mix_AllocateChannels: function(num) {
    Mixer.channels.slice(num).forEach(Mixer.halt);
    while (Mixer.channels.length > num) Mixer.channels.pop();
    return Mixer.channels.length;
  },
  Mix_ReserveChannels__deps: ['$Mixer'],
  Mix_ReserveChannels: function(num) {
    Mixer.reserved = Math.min(num, Mixer.channels.length);
    return Mixer.reserved;
  },
  Mix_Volume__deps: ['$Mixer'],
  Mix_Volume: function(channel, volume) {
    if (channel != -1)
      return Mixer.channels[channel] ? Mixer.setvolume(Mixer.channels[channel], volume) : 0;
    var sum = 0;
    Mixer.channels.forEach(function(line) { sum += Mixer.setvolume(line, volume); });
    return (sum / Mixer.channels.length) | 0;
  },
  Mix_VolumeMusic__deps: ['$Mixer'],
  Mix_VolumeMusic: function(volume) {
    return Mixer.setvolume(Mixer.music, volume);
  },

  Mix_LoadWAV_RW__deps: ['$Mixer', '$SDL', 'SDL_FreeRW'],
  Mix_LoadWAV_RW: function(rw, freesrc) {
    var stream = SDL.rwops[rw];
    if (freesrc && stream) _SDL_FreeRW(rw);
    return stream && stream.filename ? Mixer.load(stream.filename) : 0;
  },
  Mix_LoadMUS__deps: ['$Mixer'],
  Mix_LoadMUS: function(file) {
    return Mixer.load(UTF8ToString(file));
  },
  Mix_FreeChunk__deps: ['$Mixer'],
  Mix_FreeChunk: function(chunk) {
    if (chunk) Mixer.sounds[chunk] = null;
  },
  Mix_FreeMusic: 'Mix_FreeChunk',

  Mix_PlayChannelTimed__deps: ['$Mixer'],
  Mix_PlayChannelTimed: function(channel, chunk, loops, ticks) {
    return Mixer.play(channel, chunk, loops, 0, ticks);
  },
  Mix_FadeInChannelTimed__deps: ['$Mixer'],
  Mix_FadeInChannelTimed: function(channel, chunk, loops, ms, ticks) {
    return Mixer.play(channel, chunk, loops, ms, ticks);
  },
  Mix_Playing__deps: ['$Mixer'],
  Mix_Playing: function(channel) {
    if (channel != -1) return Mixer.channels[channel] ? Mixer.playing(Mixer.channels[channel]) : 0;
    return Mixer.channels.filter(Mixer.playing).length;
  },
  Mix_HaltChannel__deps: ['$Mixer'],
  Mix_HaltChannel: function(channel) {
    if (channel == -1) Mixer.channels.forEach(Mixer.halt);
    else if (Mixer.channels[channel]) Mixer.halt(Mixer.channels[channel]);
    return 0;
  },

  // As in SDL_mixer, a loop count of 1 plays the music once and a larger
  // one a time more, -1 for ever. (0, which SDL_mixer cuts short after a
  // buffer, plays it once.)
  Mix_PlayMusic__deps: ['$Mixer'],
  Mix_PlayMusic: function(music, loops) {
    var buffer = Mixer.sounds[music];
    if (!buffer) return -1;
    var times = loops < 0 ? Infinity : loops > 1 ? loops + 1 : 1;
    Mixer.start(Mixer.music, buffer, buffer.duration * times, 0);
    return 0;
  },
  Mix_PlayingMusic__deps: ['$Mixer'],
  Mix_PlayingMusic: function() {
    return Mixer.playing(Mixer.music);
  },
  Mix_FadeOutMusic__deps: ['$Mixer'],
  Mix_FadeOutMusic: function(ms) {
    var line = Mixer.music;
    if (!Mixer.playing(line)) return 0;
    if (ms <= 0) { Mixer.halt(line); return 1; }
    var now = Mixer.ctx.currentTime, gain = line.gain.gain, end = now + ms / 1000;
    gain.cancelScheduledValues(now);
    gain.setValueAtTime(line.volume / 128, now);
    gain.linearRampToValueAtTime(0, end);
    line.fadestart = now;
    line.fadeend = end;
    line.fading = 1;  // MIX_FADING_OUT
    if (end < line.end) {
      line.src.stop(end);
      line.end = end;
    }
    return 1;
  },
  Mix_FadingChannel__deps: ['$Mixer'],
  Mix_FadingChannel: function(channel) {
    return Mixer.channels[channel] ? Mixer.fading(Mixer.channels[channel]) : 0;
  },
  Mix_FadingMusic__deps: ['$Mixer'],
  Mix_FadingMusic: function() {
    return Mixer.fading(Mixer.music);
  },
  Mix_HaltMusic__deps: ['$Mixer'],
  Mix_HaltMusic: function() {
    Mixer.halt(Mixer.music);
    return 0;
  },
});
