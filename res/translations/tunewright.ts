<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" sourcelanguage="en">
<context>
    <name>Tunewright</name>
    <message>
        <source>File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Convert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Title</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Artist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Album</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Length</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Path</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Analysis Results</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Analyzing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aborted at user request!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>        ===&gt; File OK! %s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>        ===&gt; FILE CORRUPT!!! %s Please convert.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file 
%s
already exists, should it overwrite ?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Converting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Normalizing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not enough disk free space</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ATTENTION: The track directory for your original files AND
the directory for your output files are the same. If you
proceed the original file(s) will be overwritten.
Please change the track directory in the register &quot;General&quot;.
Click on &quot;Settings&quot; to open the configuration dialog.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read Files Information</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Analyze MP3 Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Repair Corrupt Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Repairing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Corrupt</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wave</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MPEG-1 Layer III</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OGG Vorbis</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>can&apos;t convert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MP3 -&gt; MP3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WAV -&gt; MP3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OGG -&gt; MP3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MP3 -&gt; WAV</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WAV -&gt; WAV</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OGG -&gt; WAV</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WAV -&gt; OGG</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MP3 -&gt; OGG</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OGG -&gt; OGG</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tunewright</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About Brelvind Tunewright</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;b&gt;%1&lt;/b&gt;&lt;br&gt;&lt;br&gt;Checks MP3 files for damage, converts between MP3, WAV and Ogg Vorbis,&lt;br&gt;edits title, artist and album tags and plays tracks.&lt;br&gt;&lt;br&gt;Built with Qt %2, LAME, mpg123, libvorbis and TagLib.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Save Analysis Results...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save analyzing results</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Analysis Results</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Move &amp;&amp; Save Corrupt Files...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move &amp; save corrupt files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move &amp; Save Corrupt Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit the application</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Analyze...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Analyze MP3 files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Analyze</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Repair Corrupt Files...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Repair the corrupt MP3 files, keeping the originals aside</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Convert to WAV...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Convert to WAV</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>C&amp;onvert to MP3...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Convert to MP3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Convert to OGG...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Convert to OGG</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Convert MP3 -&gt; MP3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit ID3-Tags</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edit ID3-Tags.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edit ID3-Tags</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add &amp;Tracks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add audio track to list.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add Audio Track</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Remove Tracks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove audio track from list.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove Audio Track</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Play Track</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play Track</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Stop Playing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop Playing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Configure program options.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show or hide the toolbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show or hide the status bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Display program information, version number and copyright</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only selected...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Analyze only selected MP3 files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Convert MP3 -&gt; WAV</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Convert WAV -&gt; MP3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Repair the selected corrupt MP3 files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check&amp;Convert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ready</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tracks: 0       </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WAVs: 0       </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MP3s: 0        </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OGGs: 0       </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>An Ordinary Folder Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Convert to WAV</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>C&amp;onvert to MP3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;All...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Change &amp;&amp; next</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Change &amp;&amp; previous</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;File:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Title:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A&amp;rtist:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Al&amp;bum:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Length:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sampling Rate:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Format:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Position:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the file cannot be read: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Undo Last Change</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Properties</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The tags of %1 were not saved:
%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the history of tag edits cannot be opened</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing was undone:
%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Properties of: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Con&amp;vert to MP3:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Con&amp;vert to OGG Vorbis:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Con&amp;vert to WAV:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All formats</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only WAV files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only MP3 files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only OGG Vorbis files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>S&amp;ettings...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 file(s) could not be converted:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Decode every frame (slower; also finds damage inside frames)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Plain text file (*.txt)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move All Corrupt Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>and %1 more</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Results:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current File:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Configuration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>General</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MP3 Encoder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OGG Vorbis Encoder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%.02f (%d kbps)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enable &amp;BBR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enable &amp;VBR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Constant bit rate (CBR)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Burstable bit rate (BBR)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>M&amp;in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Nominal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ma&amp;x</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Variable bit rate (VBR)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%d kbps</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>64 kBit/s (Tape quality)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>96 kBit/s (Tape quality)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>128 kBit/s (HiFi quality)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>160 kBit/s (HiFi quality)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>192 kBit/s (CD quality)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>256 kBit/s (Studio quality)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>320 kBit/s (Studio quality)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Normal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Low</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>High</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Con&amp;stant Bit Rate (CBR)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Variable Bit Rate (VBR)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Bit Rate:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Quality:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Encoding with</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select Path</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WAV &amp;uncompressed (1:1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WAV co&amp;mpressed (1:4)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Read ID3 Tag</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Normalize</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Try to con&amp;vert corrupt files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remember c&amp;heck results</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>An analysis gives files whose size and date have not changed their last result without reading them again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>beside each file, in .tunewright-backup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Track Directory:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WAV Format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Originals of re&amp;paired files:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot retrieve the Handle of SystemImageList!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error Getting Logical DriveStrings!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error Gettting SystemFileInfo!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Drives</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>01 - An Ordinary Track Title.mp3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>An Ordinary Track Title</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Artist Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Album Title</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>/home/someone/Music/Artist Name/Album Title/01 - An Ordinary Track Title.mp3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tracks: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>WAVs: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MP3s: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OGGs: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Track</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
