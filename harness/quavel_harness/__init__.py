"""What the demo, the end-to-end audio checks and the bench share: the
agent's protocol constants, the project's version, a Wine session that runs
the built programs, the sound device's recorder, WAV files, test signals,
and the analysis of what was heard."""
