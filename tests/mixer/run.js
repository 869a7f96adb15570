// Runs the timeline on the first click, with an AudioContext made by it
// once its clock runs (Firefox's, on a machine without a sound device,
// takes a while to start), and keeps what it prints in window.lines.
'use strict';
window.lines = [];
document.getElementById('go').addEventListener('click', () => {
  const audioContext = new AudioContext();
  audioContext.resume();
  const print = (line) => {
    window.lines.push(line);
    document.getElementById('lines').textContent += line + '\n';
  };
  const started = () => {
    if (audioContext.currentTime > 0) Timeline({audioContext, print, printErr: print});
    else setTimeout(started, 10);
  };
  started();
}, {once: true});
