<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en_GB">
<context>
    <name>strings</name>
    <message>
        <source>Quorvanta</source>
        <comment>3</comment>
        <translation>Quorvanta</translation>
    </message>
    <message>
        <source>Hardware is accessed by another application - program will run in offline mode.</source>
        <comment>32361</comment>
        <translation>ハードウェアが他のアプリケーションで使用中です。オフラインモードで起動します。</translation>
    </message>
    <message>
        <source>The program could not be started - Operationg system error!</source>
        <comment>32362</comment>
        <translation>プログラムを起動できませんでした。オペレーティングシステムのエラーです。</translation>
    </message>
    <message>
        <source>Ready</source>
        <comment>57345</comment>
        <translation>準備完了</translation>
    </message>
    <message>
        <source>Please enter a whole number.</source>
        <comment>61712</comment>
        <translation>整数を入力してください。</translation>
    </message>
    <message>
        <source>Please enter a whole number from %1 to %2.</source>
        <comment>61713</comment>
        <translation>%1 から %2 までの整数を入力してください。</translation>
    </message>
    <message>
        <source>Please enter a number.</source>
        <comment>61715</comment>
        <translation>数値を入力してください。</translation>
    </message>
    <message>
        <source>Please enter a number from %1 to %2.</source>
        <comment>61716</comment>
        <translation>%1 から %2 までの数値を入力してください。</translation>
    </message>
    <message>
        <source>Please enter at most %1 characters.</source>
        <comment>61717</comment>
        <translation>%1 文字以内で入力してください。</translation>
    </message>
    <message>
        <source>These characters cannot be stored in the file: %1
Please replace them.</source>
        <comment>61718</comment>
        <translation>次の文字はファイルに保存できません: %1
別の文字に置き換えてください。</translation>
    </message>
    <message>
        <source>No error.</source>
        <comment>32166</comment>
        <translation>エラーはありません。</translation>
    </message>
    <message>
        <source>Bad Checksum.</source>
        <comment>32152</comment>
        <translation>チェックサムが不正です。</translation>
    </message>
    <message>
        <source>Bad command message.</source>
        <comment>32153</comment>
        <translation>コマンドメッセージが不正です。</translation>
    </message>
    <message>
        <source>Error in depth subsystem!</source>
        <comment>32154</comment>
        <translation>深度系にエラーがあります。</translation>
    </message>
    <message>
        <source>Error in tension control system!</source>
        <comment>32162</comment>
        <translation>張力制御系にエラーがあります。</translation>
    </message>
    <message>
        <source>Error in winch control system!</source>
        <comment>32164</comment>
        <translation>ウインチ制御系にエラーがあります。</translation>
    </message>
    <message>
        <source>Lumbracoder is not initialised.</source>
        <comment>32158</comment>
        <translation>Lumbracoder が初期化されていません。</translation>
    </message>
    <message>
        <source>Buffer memory overflow.</source>
        <comment>32160</comment>
        <translation>バッファメモリがオーバーフローしました。</translation>
    </message>
    <message>
        <source>Lumbracoder power supply did not work. Sonde power could not be set.</source>
        <comment>32161</comment>
        <translation>Lumbracoder の電源が動作しませんでした。ゾンデ電源を設定できませんでした。</translation>
    </message>
    <message>
        <source>Lumbracoder could not be identified!</source>
        <comment>32156</comment>
        <translation>Lumbracoder を識別できませんでした。</translation>
    </message>
    <message>
        <source>Sytem halted. Lumbracoder electronics overheated.</source>
        <comment>32163</comment>
        <translation>システムを停止しました。Lumbracoder の電子回路が過熱しています。</translation>
    </message>
    <message>
        <source>Could not load &lt;LBAPP.DLL&gt; or &lt;SIGWORK.DLL&gt;. File(s) inaccessable or not found in Quorvanta subdirectory.</source>
        <comment>32157</comment>
        <translation>&lt;LBAPP.DLL&gt; または &lt;SIGWORK.DLL&gt; を読み込めませんでした。ファイルにアクセスできないか、Quorvanta のサブフォルダーに見つかりません。</translation>
    </message>
    <message>
        <source>Link has timed out.</source>
        <comment>32175</comment>
        <translation>リンクがタイムアウトしました。</translation>
    </message>
    <message>
        <source>Could not connect to the Logger. Link could not be established. Check power supply and cable connections.</source>
        <comment>32174</comment>
        <translation>ロガーに接続できませんでした。リンクを確立できません。電源とケーブルの接続を確認してください。</translation>
    </message>
    <message>
        <source>No Logger connected/found. Check cable and connections.</source>
        <comment>32172</comment>
        <translation>ロガーが接続されていないか、見つかりません。ケーブルと接続を確認してください。</translation>
    </message>
    <message>
        <source>Logger Hardware removed.</source>
        <comment>32173</comment>
        <translation>ロガーのハードウェアが取り外されました。</translation>
    </message>
    <message>
        <source>Lumbracoder did not answer a request. Check the USB cable.</source>
        <comment>32500</comment>
        <translation>Lumbracoder が要求に応答しませんでした。USB ケーブルを確認してください。</translation>
    </message>
    <message>
        <source>A value does not fit the Lumbracoder command and was not sent.</source>
        <comment>32501</comment>
        <translation>Lumbracoder のコマンドに合わない値があったため、送信しませんでした。</translation>
    </message>
    <message>
        <source>The sonde is nearing the surface - stop the winch!</source>
        <comment>32530</comment>
        <translation>ゾンデが地表に近づいています。ウインチを停止してください!</translation>
    </message>
    <message>
        <source>Sonde command failed!</source>
        <comment>32126</comment>
        <translation>ゾンデコマンドが失敗しました。</translation>
    </message>
    <message>
        <source>Fatal: Sonde type unrecognised. The system will not be able to communicate correctly with this tool.</source>
        <comment>32129</comment>
        <translation>致命的エラー: ゾンデの種類を認識できません。このツールとは正しく通信できません。</translation>
    </message>
    <message>
        <source>Could not set transmission baud rate(s).</source>
        <comment>32127</comment>
        <translation>伝送ボーレートを設定できませんでした。</translation>
    </message>
    <message>
        <source>Fatal: Could not start logging.</source>
        <comment>32131</comment>
        <translation>致命的エラー: 記録を開始できませんでした。</translation>
    </message>
    <message>
        <source>Fatal: Could not stop logging.</source>
        <comment>32130</comment>
        <translation>致命的エラー: 記録を停止できませんでした。</translation>
    </message>
    <message>
        <source>Could not set cable parameters.</source>
        <comment>32125</comment>
        <translation>ケーブルパラメーターを設定できませんでした。</translation>
    </message>
    <message>
        <source>Receiving bad data.</source>
        <comment>32124</comment>
        <translation>不正なデータを受信しています。</translation>
    </message>
    <message>
        <source>DSP setup failed.</source>
        <comment>32128</comment>
        <translation>DSP の設定に失敗しました。</translation>
    </message>
    <message>
        <source>Not enough memory available.</source>
        <comment>32150</comment>
        <translation>メモリが不足しています。</translation>
    </message>
    <message>
        <source>Can not open destination file.</source>
        <comment>32136</comment>
        <translation>出力先ファイルを開けません。</translation>
    </message>
    <message>
        <source>Can not write to destination file.</source>
        <comment>32137</comment>
        <translation>出力先ファイルに書き込めません。</translation>
    </message>
    <message>
        <source>Could not close the log file savely. File may be damaged.</source>
        <comment>32135</comment>
        <translation>ログファイルを正常に閉じられませんでした。ファイルが破損している可能性があります。</translation>
    </message>
    <message>
        <source>Internal operating system error.</source>
        <comment>32170</comment>
        <translation>オペレーティングシステムの内部エラーです。</translation>
    </message>
    <message>
        <source>Unknown sonde.</source>
        <comment>32195</comment>
        <translation>不明なゾンデです。</translation>
    </message>
    <message>
        <source>Unknown sonde command.</source>
        <comment>32196</comment>
        <translation>不明なゾンデコマンドです。</translation>
    </message>
    <message>
        <source>This winch type is not supported.</source>
        <comment>32197</comment>
        <translation>この種類のウインチには対応していません。</translation>
    </message>
    <message>
        <source>Unknown error.</source>
        <comment>32194</comment>
        <translation>不明なエラーです。</translation>
    </message>
    <message>
        <source>Quorvanta Error Message</source>
        <comment>32209</comment>
        <translation>Quorvanta エラーメッセージ</translation>
    </message>
    <message>
        <source>Lumbracoder could not be initialised! 
Error report:
</source>
        <comment>32276</comment>
        <translation>Lumbracoder を初期化できませんでした。
エラー報告:
</translation>
    </message>
    <message>
        <source>Quorvanta Init</source>
        <comment>32246</comment>
        <translation>Quorvanta 初期化</translation>
    </message>
    <message>
        <source>Fatal error</source>
        <comment>32134</comment>
        <translation>致命的エラー</translation>
    </message>
    <message>
        <source>%s - Current Sonde: %s</source>
        <comment>32222</comment>
        <translation>%s - 現在のゾンデ: %s</translation>
    </message>
    <message>
        <source>Depth step can not be smaller then %d and must be a multiple of %d! </source>
        <comment>32372</comment>
        <translation>深度ステップは %d 未満にできず、%d の倍数でなければなりません。</translation>
    </message>
    <message>
        <source>Changes not saved because a log is in progress.</source>
        <comment>32182</comment>
        <translation>検層中のため、変更は保存されませんでした。</translation>
    </message>
    <message>
        <source>Hardware parameters could not be set!</source>
        <comment>32184</comment>
        <translation>ハードウェアパラメーターを設定できませんでした。</translation>
    </message>
    <message>
        <source>Database error: System Parameters could not be saved.</source>
        <comment>32120</comment>
        <translation>データベースエラー: システムパラメーターを保存できませんでした。</translation>
    </message>
    <message>
        <source>Off</source>
        <comment>32307</comment>
        <translation>オフ</translation>
    </message>
    <message>
        <source>Sonde Control</source>
        <comment>32306</comment>
        <translation>ゾンデ制御</translation>
    </message>
    <message>
        <source>Error</source>
        <comment>32208</comment>
        <translation>エラー</translation>
    </message>
    <message>
        <source>Logging has stopped! If you want to log again, please close current logfile and select NEW LOG from the file menu.</source>
        <comment>32183</comment>
        <translation>記録は停止しています。再度記録するには、現在のログファイルを閉じ、ファイルメニューの「新規ログ」を選択してください。</translation>
    </message>
    <message>
        <source>[ft/min]</source>
        <comment>32314</comment>
        <translation>[ft/min]</translation>
    </message>
    <message>
        <source>[m/min]</source>
        <comment>32315</comment>
        <translation>[m/min]</translation>
    </message>
    <message>
        <source>Ready</source>
        <comment>32359</comment>
        <translation>準備完了</translation>
    </message>
    <message>
        <source>Winch Control</source>
        <comment>32358</comment>
        <translation>ウインチ制御</translation>
    </message>
    <message>
        <source>     Replay Control</source>
        <comment>32296</comment>
        <translation>     再生制御</translation>
    </message>
    <message>
        <source>Switch sonde power on or off
Sonde Power</source>
        <comment>2385</comment>
        <translation>ゾンデ電源をオン/オフします
ゾンデ電源</translation>
    </message>
    <message>
        <source>Select recording mode, record new log data
Record</source>
        <comment>2387</comment>
        <translation>記録モードを選択し、新しいログデータを記録します
記録</translation>
    </message>
    <message>
        <source>Pause data recording or replay
Pause Record/Replay</source>
        <comment>2384</comment>
        <translation>データの記録または再生を一時停止します
記録/再生の一時停止</translation>
    </message>
    <message>
        <source>Stop recording or replay of data, close log files
Stop Record/Replay</source>
        <comment>2391</comment>
        <translation>データの記録または再生を停止し、ログファイルを閉じます
記録/再生の停止</translation>
    </message>
    <message>
        <source>Send a command to the connected tool
Send command</source>
        <comment>2389</comment>
        <translation>接続中のツールにコマンドを送信します
コマンド送信</translation>
    </message>
    <message>
        <source>List of available sonde commands
Sonde command list</source>
        <comment>2378</comment>
        <translation>使用できるゾンデコマンドの一覧
ゾンデコマンド一覧</translation>
    </message>
    <message>
        <source>Display current comand status/Enter command parameter
Command Status/Parameter input </source>
        <comment>2375</comment>
        <translation>現在のコマンド状態を表示/コマンドパラメーターを入力します
コマンド状態/パラメーター入力</translation>
    </message>
    <message>
        <source>Switch winch power on or off
Winch Power </source>
        <comment>2505</comment>
        <translation>ウインチ電源をオン/オフします
ウインチ電源</translation>
    </message>
    <message>
        <source>Pause/restart winch at current depth
Pause/Restart Winch</source>
        <comment>2506</comment>
        <translation>現在の深度でウインチを一時停止/再開します
ウインチの一時停止/再開</translation>
    </message>
    <message>
        <source>Set logging mode downhole
Log Down</source>
        <comment>2500</comment>
        <translation>検層モードを降下に設定します
降下検層</translation>
    </message>
    <message>
        <source>Set logging mode uphole
Log Up</source>
        <comment>2508</comment>
        <translation>検層モードを上昇に設定します
上昇検層</translation>
    </message>
    <message>
        <source>Set winch speed for selected mode (normal/fast)
Set Speed</source>
        <comment>2399</comment>
        <translation>選択したモード (通常/高速) のウインチ速度を設定します
速度設定</translation>
    </message>
    <message>
        <source>Begin or continue replay operation
Replay Data</source>
        <comment>1020</comment>
        <translation>再生を開始または続行します
再生</translation>
    </message>
    <message>
        <source>Pause replay operation
Pause Replay</source>
        <comment>1017</comment>
        <translation>再生を一時停止します
再生の一時停止</translation>
    </message>
    <message>
        <source>Restart replay operation.
Restart Replay</source>
        <comment>1018</comment>
        <translation>再生をやり直します。
再生のやり直し</translation>
    </message>
    <message>
        <source>Stop replay operation
Stop Replay</source>
        <comment>1019</comment>
        <translation>再生を停止します
再生の停止</translation>
    </message>
    <message>
        <source>Direct realtime print without screen display.
Print Direct</source>
        <comment>1063</comment>
        <translation>画面に表示せずにリアルタイムで直接印刷します。
直接印刷</translation>
    </message>
    <message>
        <source>Select a sonde from the sonde database
Select Sonde</source>
        <comment>1059</comment>
        <translation>ゾンデデータベースからゾンデを選択します
ゾンデの選択</translation>
    </message>
    <message>
        <source>ft</source>
        <comment>32078</comment>
        <translation>ft</translation>
    </message>
    <message>
        <source>m</source>
        <comment>32079</comment>
        <translation>m</translation>
    </message>
    <message>
        <source>Unavailable</source>
        <comment>32085</comment>
        <translation>なし</translation>
    </message>
    <message>
        <source>DSP card</source>
        <comment>32086</comment>
        <translation>DSP カード</translation>
    </message>
    <message>
        <source>VSP card</source>
        <comment>32357</comment>
        <translation>VSP カード</translation>
    </message>
    <message>
        <source>Glimmerdeck card</source>
        <comment>32356</comment>
        <translation>Glimmerdeck カード</translation>
    </message>
    <message>
        <source>Lumbracoder card</source>
        <comment>32272</comment>
        <translation>Lumbracoder カード</translation>
    </message>
    <message>
        <source>The file %s could not be saved: it keeps its earlier content.</source>
        <comment>34100</comment>
        <translation>ファイル %s を保存できませんでした。以前の内容のままです。</translation>
    </message>
    <message>
        <source>Log Settings</source>
        <comment>32049</comment>
        <translation>ログ設定</translation>
    </message>
    <message>
        <source>Sonde type not supported!</source>
        <comment>32185</comment>
        <translation>このゾンデの種類には対応していません。</translation>
    </message>
    <message>
        <source>Could not load tool parameters!</source>
        <comment>32148</comment>
        <translation>ツールパラメーターを読み込めませんでした。</translation>
    </message>
    <message>
        <source>Standard Log files (*.log)|*.log||</source>
        <comment>32275</comment>
        <translation>標準ログファイル (*.log)|*.log||</translation>
    </message>
    <message>
        <source>imperial</source>
        <comment>32243</comment>
        <translation>ヤード・ポンド法</translation>
    </message>
    <message>
        <source>metric</source>
        <comment>32080</comment>
        <translation>メートル法</translation>
    </message>
    <message>
        <source>NEWLOG</source>
        <comment>32074</comment>
        <translation>NEWLOG</translation>
    </message>
    <message>
        <source>Abort</source>
        <comment>32336</comment>
        <translation>中止</translation>
    </message>
    <message>
        <source>Start Test</source>
        <comment>32006</comment>
        <translation>テスト開始</translation>
    </message>
    <message>
        <source>Stop Test</source>
        <comment>32007</comment>
        <translation>テスト停止</translation>
    </message>
    <message>
        <source>Bad Sonic Packet Sequence</source>
        <comment>32094</comment>
        <translation>ソニックパケットの順序が不正です</translation>
    </message>
    <message>
        <source>MCS: %s
DSP: %s</source>
        <comment>32225</comment>
        <translation>MCS: %s
DSP: %s</translation>
    </message>
    <message>
        <source>Please switch sonde power ON and retry!</source>
        <comment>32373</comment>
        <translation>ゾンデ電源をオンにしてから再試行してください。</translation>
    </message>
    <message>
        <source>&amp;Accept</source>
        <comment>32374</comment>
        <translation>採用(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Store</source>
        <comment>32375</comment>
        <translation>保存(&amp;S)</translation>
    </message>
    <message>
        <source>ASCII File (*.txt)|*.txt|All Files (*.*)|*.*||</source>
        <comment>32376</comment>
        <translation>ASCII ファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*||</translation>
    </message>
    <message>
        <source>Save Interpretation Results</source>
        <comment>32377</comment>
        <translation>解析結果の保存</translation>
    </message>
    <message>
        <source>Internal</source>
        <comment>32378</comment>
        <translation>内部</translation>
    </message>
    <message>
        <source>Check if tool is working properly
Test Sonde</source>
        <comment>1036</comment>
        <translation>ツールが正常に動作しているか確認します
ゾンデテスト</translation>
    </message>
    <message>
        <source>Please enter a new print style for</source>
        <comment>33500</comment>
        <translation>新しい印刷スタイルを入力してください:</translation>
    </message>
    <message>
        <source>Print style</source>
        <comment>33501</comment>
        <translation>印刷スタイル</translation>
    </message>
    <message>
        <source>
Creating default.</source>
        <comment>32046</comment>
        <translation>
既定値で作成します。</translation>
    </message>
    <message>
        <source>%u CPS at %G %s</source>
        <comment>32033</comment>
        <translation>%u CPS (%G %s)</translation>
    </message>
    <message>
        <source>Can't create file %s.</source>
        <comment>32407</comment>
        <translation>ファイル %s を作成できません。</translation>
    </message>
    <message>
        <source>Can't open file %s.</source>
        <comment>32408</comment>
        <translation>ファイル %s を開けません。</translation>
    </message>
    <message>
        <source>NEAR</source>
        <comment>32409</comment>
        <translation>NEAR</translation>
    </message>
    <message>
        <source>FAR</source>
        <comment>32410</comment>
        <translation>FAR</translation>
    </message>
    <message>
        <source>Count rate: %d in sleeve with ratio of %f</source>
        <comment>32411</comment>
        <translation>計数率: %d (スリーブ内、比 %f)</translation>
    </message>
    <message>
        <source>Common Error</source>
        <comment>32047</comment>
        <translation>一般エラー</translation>
    </message>
    <message>
        <source>Database Error</source>
        <comment>32048</comment>
        <translation>データベースエラー</translation>
    </message>
    <message>
        <source>Compressed Database already exists !

Overwrite it with new one being generated ?</source>
        <comment>32069</comment>
        <translation>圧縮データベースはすでに存在します。

新しく作成するもので上書きしますか?</translation>
    </message>
    <message>
        <source>Database Error !</source>
        <comment>32070</comment>
        <translation>データベースエラー</translation>
    </message>
    <message>
        <source>Could not access sonde database</source>
        <comment>32091</comment>
        <translation>ゾンデデータベースにアクセスできませんでした</translation>
    </message>
    <message>
        <source>Fail in Memory Allocation!</source>
        <comment>32092</comment>
        <translation>メモリの割り当てに失敗しました</translation>
    </message>
    <message>
        <source>The Function CountRecords() was called with a NULL-Pointer Parameter !</source>
        <comment>32119</comment>
        <translation>関数 CountRecords() が NULL ポインターの引数で呼び出されました。</translation>
    </message>
    <message>
        <source>Error in Function: LoadDisplayParametersFromDatabase() !</source>
        <comment>32123</comment>
        <translation>関数 LoadDisplayParametersFromDatabase() でエラーが発生しました。</translation>
    </message>
    <message>
        <source>Fail in 1st GetMetaFileBitsEx!</source>
        <comment>32138</comment>
        <translation>GetMetaFileBitsEx (1 回目) に失敗しました。</translation>
    </message>
    <message>
        <source>Fail in 2nd GetMetaFileBitsEx!</source>
        <comment>32139</comment>
        <translation>GetMetaFileBitsEx (2 回目) に失敗しました。</translation>
    </message>
    <message>
        <source>Error in Function: LoadCalibCoeffs() !</source>
        <comment>32146</comment>
        <translation>関数 LoadCalibCoeffs() でエラーが発生しました。</translation>
    </message>
    <message>
        <source>Error in Function: DetermineLogColumnNumber() !</source>
        <comment>32149</comment>
        <translation>関数 DetermineLogColumnNumber() でエラーが発生しました。</translation>
    </message>
    <message>
        <source>Error in Function: UpdateCalibratedChannel() !</source>
        <comment>32198</comment>
        <translation>関数 UpdateCalibratedChannel() でエラーが発生しました。</translation>
    </message>
    <message>
        <source>Error in opening the database ! 
</source>
        <comment>32211</comment>
        <translation>データベースを開く際にエラーが発生しました。
</translation>
    </message>
    <message>
        <source>No calibration file found for the selected sonde!
</source>
        <comment>32278</comment>
        <translation>選択したゾンデの校正ファイルが見つかりません。
</translation>
    </message>
    <message>
        <source>Sonde parameters can't be read.
More than one sonde is active!</source>
        <comment>32313</comment>
        <translation>ゾンデパラメーターを読み込めません。
複数のゾンデが有効になっています。</translation>
    </message>
    <message>
        <source>Unknown data type !
</source>
        <comment>32338</comment>
        <translation>不明なデータ型です。
</translation>
    </message>
    <message>
        <source>%m/%d/%y</source>
        <comment>32419</comment>
        <translation>%m/%d/%y</translation>
    </message>
    <message>
        <source>Calibration of the %s - sonde</source>
        <comment>32016</comment>
        <translation>%s ゾンデの校正</translation>
    </message>
    <message>
        <source>Continue</source>
        <comment>32058</comment>
        <translation>続行</translation>
    </message>
    <message>
        <source>Save</source>
        <comment>32304</comment>
        <translation>保存</translation>
    </message>
    <message>
        <source>Finish</source>
        <comment>32220</comment>
        <translation>完了</translation>
    </message>
    <message>
        <source>Place sonde in ALUMINIUM Block for formation density calibration and click on continue when ready.</source>
        <comment>32015</comment>
        <translation>密度校正のためゾンデをアルミニウムブロックに置き、準備ができたら「続行」をクリックしてください。</translation>
    </message>
    <message>
        <source>Place sonde into Calibration sleeve, press 'Continue' when ready.</source>
        <comment>32013</comment>
        <translation>ゾンデを校正スリーブに入れ、準備ができたら「続行」を押してください。</translation>
    </message>
    <message>
        <source>Establish BACKGROUND conditions for natural gamma calibration and click on continue when ready.</source>
        <comment>32034</comment>
        <translation>自然ガンマ校正のためバックグラウンド条件を整え、準備ができたら「続行」をクリックしてください。</translation>
    </message>
    <message>
        <source>Adjust measurement unit, then press 'Continue'</source>
        <comment>32009</comment>
        <translation>測定単位を調整してから「続行」を押してください</translation>
    </message>
    <message>
        <source>Select channel to calibrate</source>
        <comment>32041</comment>
        <translation>校正するチャンネルを選択してください</translation>
    </message>
    <message>
        <source>No channel to calibrate</source>
        <comment>32038</comment>
        <translation>校正するチャンネルがありません</translation>
    </message>
    <message>
        <source>An error has occured:

Far neutron channel not found!</source>
        <comment>32103</comment>
        <translation>エラーが発生しました:

遠距離中性子チャンネルが見つかりません。</translation>
    </message>
    <message>
        <source>This calibration type is not supported!</source>
        <comment>32106</comment>
        <translation>この校正方式には対応していません。</translation>
    </message>
    <message>
        <source>An error has occured:

This is no valid channel !</source>
        <comment>32145</comment>
        <translation>エラーが発生しました:

有効なチャンネルではありません。</translation>
    </message>
    <message>
        <source>Calibration regime not found!</source>
        <comment>32105</comment>
        <translation>校正手順が見つかりません。</translation>
    </message>
    <message>
        <source>The coefficient array is not initialised!</source>
        <comment>32104</comment>
        <translation>係数配列が初期化されていません。</translation>
    </message>
    <message>
        <source>Magnitude and polarity of voltage are set.

Please wait ...</source>
        <comment>32042</comment>
        <translation>電圧の大きさと極性を設定しました。

しばらくお待ちください...</translation>
    </message>
    <message>
        <source>Couln'd read from sonde database. Database missing or corrupt database file.</source>
        <comment>32179</comment>
        <translation>ゾンデデータベースを読み込めませんでした。データベースがないか、ファイルが破損しています。</translation>
    </message>
    <message>
        <source>Please press 'Open Caliper' to prepare calibration!</source>
        <comment>32039</comment>
        <translation>校正の準備のため「キャリパーを開く」を押してください。</translation>
    </message>
    <message>
        <source>Counting %d seconds in jig %d.</source>
        <comment>32023</comment>
        <translation>%d 秒間、ジグ %d で計数しています。</translation>
    </message>
    <message>
        <source>Place sonde in water for counting and click on continue when ready!</source>
        <comment>32010</comment>
        <translation>計数のためゾンデを水中に置き、準備ができたら「続行」をクリックしてください。</translation>
    </message>
    <message>
        <source>Average Counts in
Jig 1: 	%u cps
Jig 2: 	%u cps

Normalisation coefficient determined:

A0 = %.4lf
A1 = %.4lf</source>
        <comment>32027</comment>
        <translation>平均計数
ジグ 1: 	%u cps
ジグ 2: 	%u cps

正規化係数を決定しました:

A0 = %.4lf
A1 = %.4lf</translation>
    </message>
    <message>
        <source>Counting in Calibration sleeve for 
%d seconds</source>
        <comment>32019</comment>
        <translation>校正スリーブ内で計数中 
%d 秒</translation>
    </message>
    <message>
        <source>Average LONG count:  %ld
Average SHORT count: %ld
Ratio: %6.4lf

Enter expected ratio and press 'Continue'</source>
        <comment>32028</comment>
        <translation>平均 LONG 計数:  %ld
平均 SHORT 計数: %ld
比: %6.4lf

期待比を入力して「続行」を押してください</translation>
    </message>
    <message>
        <source>Expected ratio:</source>
        <comment>32014</comment>
        <translation>期待比:</translation>
    </message>
    <message>
        <source>Correction factor determined:

A1 = %.2lf</source>
        <comment>32029</comment>
        <translation>補正係数を決定しました:

A1 = %.2lf</translation>
    </message>
    <message>
        <source>Counting BACKGROUND for 
%d seconds</source>
        <comment>32021</comment>
        <translation>バックグラウンドを計数中 
%d 秒</translation>
    </message>
    <message>
        <source>Place sonde in API-Jig for counting and click on continue when ready!</source>
        <comment>32035</comment>
        <translation>計数のためゾンデを API ジグに置き、準備ができたら「続行」をクリックしてください。</translation>
    </message>
    <message>
        <source>Counting API-Jig for %d seconds</source>
        <comment>32022</comment>
        <translation>API ジグを %d 秒間計数中</translation>
    </message>
    <message>
        <source>Enter API-Jig value.</source>
        <comment>32036</comment>
        <translation>API ジグの値を入力してください。</translation>
    </message>
    <message>
        <source>Average Counts in
Background: 	%u cps
API-Jig: 	%u cps

Normalisation coefficient determined:

A1 = %.4lf</source>
        <comment>32031</comment>
        <translation>平均計数
バックグラウンド: 	%u cps
API ジグ: 	%u cps

正規化係数を決定しました:

A1 = %.4lf</translation>
    </message>
    <message>
        <source>Enter count of reference jigs for calibration (2, 3 or 4).</source>
        <comment>32011</comment>
        <translation>校正に使う基準ジグの数 (2、3 または 4) を入力してください。</translation>
    </message>
    <message>
        <source>Place sonde for caliper calibration into jig %d and enter jig size.</source>
        <comment>32012</comment>
        <translation>キャリパー校正のためゾンデをジグ %d に入れ、ジグのサイズを入力してください。</translation>
    </message>
    <message>
        <source>Please enter a jig value. </source>
        <comment>32379</comment>
        <translation>ジグの値を入力してください。</translation>
    </message>
    <message>
        <source>Normalisation coefficients determined:
</source>
        <comment>32040</comment>
        <translation>正規化係数を決定しました:
</translation>
    </message>
    <message>
        <source>CPS</source>
        <comment>32060</comment>
        <translation>CPS</translation>
    </message>
    <message>
        <source>Jig 1 (Al)- and Jig 2 (H20)  Counts: (%s)</source>
        <comment>32024</comment>
        <translation>ジグ 1 (Al) とジグ 2 (H2O) の計数: (%s)</translation>
    </message>
    <message>
        <source>Jig (%s)</source>
        <comment>32026</comment>
        <translation>ジグ (%s)</translation>
    </message>
    <message>
        <source>Timeout for data request! Calibration not successful.</source>
        <comment>32107</comment>
        <translation>データ要求がタイムアウトしました。校正は成功しませんでした。</translation>
    </message>
    <message>
        <source>
COMMUNICATION ERROR!</source>
        <comment>32102</comment>
        <translation>
通信エラー</translation>
    </message>
    <message>
        <source>Command 'Open Caliper' in progress.

Please wait until arms completely opened.
Then press 'Continue'.</source>
        <comment>32044</comment>
        <translation>「キャリパーを開く」コマンドを実行中です。

アームが完全に開くまでお待ちください。
その後「続行」を押してください。</translation>
    </message>
    <message>
        <source>Command 'Close Caliper' in progress.

Please wait until the arms are closed.</source>
        <comment>32043</comment>
        <translation>「キャリパーを閉じる」コマンドを実行中です。

アームが閉じるまでお待ちください。</translation>
    </message>
    <message>
        <source>Two jigs gave the same count: no calibration curve passes through both.
Calibration not saved.</source>
        <comment>34000</comment>
        <translation>2 つのジグで同じ計数になりました。両方を通る校正曲線はありません。
校正は保存されませんでした。</translation>
    </message>
    <message>
        <source>The calibration gives no finite coefficients (check the counts and the entered values).
Calibration not saved.</source>
        <comment>34001</comment>
        <translation>校正から有限の係数が得られません (計数と入力値を確認してください)。
校正は保存されませんでした。</translation>
    </message>
    <message>
        <source>The near count or the expected ratio is zero: no correction factor can be determined.
Calibration not saved.</source>
        <comment>34002</comment>
        <translation>近距離計数または期待比がゼロです。補正係数を決定できません。
校正は保存されませんでした。</translation>
    </message>
    <message>
        <source>The background count is not below the API-Jig count: no correction factor can be determined.
Calibration not saved.</source>
        <comment>34003</comment>
        <translation>バックグラウンド計数が API ジグの計数より小さくありません。補正係数を決定できません。
校正は保存されませんでした。</translation>
    </message>
    <message>
        <source>A calibration needs 2, 3 or 4 jigs.</source>
        <comment>34004</comment>
        <translation>校正には 2、3 または 4 個のジグが必要です。</translation>
    </message>
    <message>
        <source>The calibration could not be written completely to %s.
The channel is not recorded as calibrated.</source>
        <comment>34005</comment>
        <translation>校正を %s に完全には書き込めませんでした。
チャンネルは校正済みとして記録されていません。</translation>
    </message>
    <message>
        <source>The count rate of %.0f cps is above 65535, the largest count a calibration can hold: the point is not taken.
Check the sonde and the jig, then press 'Continue' to count again.</source>
        <comment>34006</comment>
        <translation>計数率 %.0f cps は、校正で扱える最大計数 65535 を超えています。この点は採用しません。
ゾンデとジグを確認し、「続行」を押して計数し直してください。</translation>
    </message>
    <message>
        <source>Hardware Error: Lumbracoder not responding!</source>
        <comment>32151</comment>
        <translation>ハードウェアエラー: Lumbracoder が応答しません。</translation>
    </message>
    <message>
        <source>Error  while updating the calibration coefficients !</source>
        <comment>32108</comment>
        <translation>校正係数の更新中にエラーが発生しました。</translation>
    </message>
    <message>
        <source>Import new hardware</source>
        <comment>32063</comment>
        <translation>新しいハードウェアの取り込み</translation>
    </message>
    <message>
        <source>Text files (*.txt)|*.txt|Sonde files (*.son)|*.son|ASCII files (*.asc)|*.asc|All files (*.*) |*.*||</source>
        <comment>32244</comment>
        <translation>テキストファイル (*.txt)|*.txt|ゾンデファイル (*.son)|*.son|ASCII ファイル (*.asc)|*.asc|すべてのファイル (*.*) |*.*||</translation>
    </message>
    <message>
        <source>Import succeeded!</source>
        <comment>32245</comment>
        <translation>取り込みに成功しました。</translation>
    </message>
    <message>
        <source>This type of import sourcefile is not supported!</source>
        <comment>32142</comment>
        <translation>この種類の取り込み元ファイルには対応していません。</translation>
    </message>
    <message>
        <source>Sonde already exists in database! Import canceled.</source>
        <comment>32143</comment>
        <translation>ゾンデはすでにデータベースにあります。取り込みを中止しました。</translation>
    </message>
    <message>
        <source>Table 'Sondes' contains ambiguous data records! Import canceled.</source>
        <comment>32116</comment>
        <translation>テーブル 'Sondes' に重複したデータレコードがあります。取り込みを中止しました。</translation>
    </message>
    <message>
        <source>Table 'SondeCommands' contains ambiguous data records!</source>
        <comment>32117</comment>
        <translation>テーブル 'SondeCommands' に重複したデータレコードがあります。</translation>
    </message>
    <message>
        <source>Error: One or more tool offset values are greater than the length of the sonde! Import canceled.</source>
        <comment>32141</comment>
        <translation>エラー: ツールオフセット値の一部がゾンデの長さを超えています。取り込みを中止しました。</translation>
    </message>
    <message>
        <source>The file has no [Sonde] section: it does not describe a sonde. Import canceled.</source>
        <comment>32620</comment>
        <translation>ファイルに [Sonde] セクションがありません。ゾンデを記述したファイルではありません。取り込みを中止しました。</translation>
    </message>
    <message>
        <source>The sonde declares %d channels; a sonde can have at most %d. Import canceled.</source>
        <comment>32621</comment>
        <translation>ゾンデのチャンネル数は %d と宣言されていますが、ゾンデのチャンネルは最大 %d です。取り込みを中止しました。</translation>
    </message>
    <message>
        <source>The file gives the sonde no abbreviation: it could not be selected or removed. Import canceled.</source>
        <comment>32622</comment>
        <translation>ファイルにゾンデの略称がありません。選択も削除もできなくなります。取り込みを中止しました。</translation>
    </message>
    <message>
        <source>%u entries found</source>
        <comment>32071</comment>
        <translation>%u 件見つかりました</translation>
    </message>
    <message>
        <source>Do you really want to remove the selected sonde?</source>
        <comment>32395</comment>
        <translation>選択したゾンデを削除しますか?</translation>
    </message>
    <message>
        <source>Save Changes?</source>
        <comment>32290</comment>
        <translation>変更を保存しますか?</translation>
    </message>
    <message>
        <source>The changes will take effect if the sonde power is switched off and on again!</source>
        <comment>32426</comment>
        <translation>変更はゾンデ電源をいったんオフにして再びオンにすると有効になります。</translation>
    </message>
    <message>
        <source>Sonde base</source>
        <comment>32051</comment>
        <translation>ゾンデベース</translation>
    </message>
    <message>
        <source>wmf File (*.wmf)|*.wmf|</source>
        <comment>32363</comment>
        <translation>wmf ファイル (*.wmf)|*.wmf|</translation>
    </message>
    <message>
        <source>Load sketch file for %s - sonde</source>
        <comment>32221</comment>
        <translation>%s ゾンデのスケッチファイルを読み込み</translation>
    </message>
    <message>
        <source>Physical channel</source>
        <comment>32073</comment>
        <translation>物理チャンネル</translation>
    </message>
    <message>
        <source>Can not create .hed file</source>
        <comment>32114</comment>
        <translation>.hed ファイルを作成できません</translation>
    </message>
    <message>
        <source>%s  is not a valid .hdr file or is not in V106 format !</source>
        <comment>32140</comment>
        <translation>%s は有効な .hdr ファイルでないか、V106 形式ではありません。</translation>
    </message>
    <message>
        <source>Can not open header file !</source>
        <comment>32169</comment>
        <translation>ヘッダーファイルを開けません。</translation>
    </message>
    <message>
        <source>Can not read header file</source>
        <comment>32177</comment>
        <translation>ヘッダーファイルを読み込めません</translation>
    </message>
    <message>
        <source>Can not write to Header file.</source>
        <comment>32201</comment>
        <translation>ヘッダーファイルに書き込めません。</translation>
    </message>
    <message>
        <source>Can not create Userfunction INI file</source>
        <comment>32115</comment>
        <translation>ユーザー関数の INI ファイルを作成できません</translation>
    </message>
    <message>
        <source>Can not read Userfunction ini file</source>
        <comment>32178</comment>
        <translation>ユーザー関数の INI ファイルを読み込めません</translation>
    </message>
    <message>
        <source>Error writing to userfunction INI file.</source>
        <comment>32405</comment>
        <translation>ユーザー関数の INI ファイルへの書き込みでエラーが発生しました。</translation>
    </message>
    <message>
        <source>Can't read this userfunction INI file version.</source>
        <comment>32406</comment>
        <translation>このバージョンのユーザー関数 INI ファイルは読み込めません。</translation>
    </message>
    <message>
        <source>Calibration File (*.cal)|*.cal||</source>
        <comment>32045</comment>
        <translation>校正ファイル (*.cal)|*.cal||</translation>
    </message>
    <message>
        <source>Header</source>
        <comment>32241</comment>
        <translation>ヘッダー</translation>
    </message>
    <message>
        <source>A log file with this name already exists. Do you want to overwrite the existing file?</source>
        <comment>32269</comment>
        <translation>同じ名前のログファイルがすでにあります。既存のファイルを上書きしますか?</translation>
    </message>
    <message>
        <source>mft</source>
        <comment>32349</comment>
        <translation>mft</translation>
    </message>
    <message>
        <source>mm</source>
        <comment>32351</comment>
        <translation>mm</translation>
    </message>
    <message>
        <source>Header Editor</source>
        <comment>32240</comment>
        <translation>ヘッダーエディター</translation>
    </message>
    <message>
        <source>OK</source>
        <comment>32369</comment>
        <translation>OK</translation>
    </message>
    <message>
        <source>inch</source>
        <comment>32346</comment>
        <translation>inch</translation>
    </message>
    <message>
        <source>kg</source>
        <comment>32347</comment>
        <translation>kg</translation>
    </message>
    <message>
        <source>lbs</source>
        <comment>32348</comment>
        <translation>lbs</translation>
    </message>
    <message>
        <source>LAS files (*.las)|*.las||</source>
        <comment>32415</comment>
        <translation>LAS ファイル (*.las)|*.las||</translation>
    </message>
    <message>
        <source>LAS export successful!</source>
        <comment>32416</comment>
        <translation>LAS エクスポートに成功しました。</translation>
    </message>
    <message>
        <source>LAS export failed!</source>
        <comment>32417</comment>
        <translation>LAS エクスポートに失敗しました。</translation>
    </message>
    <message>
        <source>*** N/A ***</source>
        <comment>32418</comment>
        <translation>*** N/A ***</translation>
    </message>
    <message>
        <source>Source file could not be opened!</source>
        <comment>32212</comment>
        <translation>元のファイルを開けませんでした。</translation>
    </message>
    <message>
        <source>Standard Log files (*.log;*.lgx)|*.log;*.lgx|BHTV files (*.btv) |*.btv|FWS Files (*.vdl)|*.vdl|CBL Files (*.cbl)|*.cbl||</source>
        <comment>32284</comment>
        <translation>標準ログファイル (*.log;*.lgx)|*.log;*.lgx|BHTV ファイル (*.btv) |*.btv|FWS ファイル (*.vdl)|*.vdl|CBL ファイル (*.cbl)|*.cbl||</translation>
    </message>
    <message>
        <source>Log Files (*.log; *.lgx)|*.log;*.lgx||</source>
        <comment>32381</comment>
        <translation>ログファイル (*.log; *.lgx)|*.log;*.lgx||</translation>
    </message>
    <message>
        <source>No channels selected</source>
        <comment>32385</comment>
        <translation>チャンネルが選択されていません</translation>
    </message>
    <message>
        <source>No output file selected</source>
        <comment>32386</comment>
        <translation>出力ファイルが選択されていません</translation>
    </message>
    <message>
        <source>Wrong file format</source>
        <comment>32388</comment>
        <translation>ファイル形式が正しくありません</translation>
    </message>
    <message>
        <source>The File is already included!</source>
        <comment>32390</comment>
        <translation>このファイルはすでに含まれています。</translation>
    </message>
    <message>
        <source>Wrong log mode.</source>
        <comment>32391</comment>
        <translation>ログモードが違います。</translation>
    </message>
    <message>
        <source>Wrong depth unit.</source>
        <comment>32392</comment>
        <translation>深度単位が違います。</translation>
    </message>
    <message>
        <source>The merged file could not be created. Please check disk space and access rights! </source>
        <comment>32393</comment>
        <translation>マージファイルを作成できませんでした。ディスクの空き容量とアクセス権を確認してください。</translation>
    </message>
    <message>
        <source>%d.%d</source>
        <comment>32412</comment>
        <translation>%d.%d</translation>
    </message>
    <message>
        <source>No header selected. You must choose one input file header as source for the merge file header!</source>
        <comment>32420</comment>
        <translation>ヘッダーが選択されていません。マージファイルのヘッダーの元になる入力ファイルのヘッダーを 1 つ選んでください。</translation>
    </message>
    <message>
        <source>Merge files (*.lgx)|*.lgx||</source>
        <comment>32421</comment>
        <translation>マージファイル (*.lgx)|*.lgx||</translation>
    </message>
    <message>
        <source>Merge Template (*.tpl)|*.tpl||</source>
        <comment>32427</comment>
        <translation>マージテンプレート (*.tpl)|*.tpl||</translation>
    </message>
    <message>
        <source>Overwrite existing output file?</source>
        <comment>32428</comment>
        <translation>既存の出力ファイルを上書きしますか?</translation>
    </message>
    <message>
        <source>Depth-Shift operation failed: File or parameter error.</source>
        <comment>32429</comment>
        <translation>深度シフトに失敗しました: ファイルまたはパラメーターのエラーです。</translation>
    </message>
    <message>
        <source>Log was shifted successfully.</source>
        <comment>32430</comment>
        <translation>ログの深度シフトに成功しました。</translation>
    </message>
    <message>
        <source>Time-Mode logs can not be shifted in depth!</source>
        <comment>32431</comment>
        <translation>時間モードのログは深度シフトできません。</translation>
    </message>
    <message>
        <source>meters.</source>
        <comment>32432</comment>
        <translation>メートル。</translation>
    </message>
    <message>
        <source>feet.</source>
        <comment>32433</comment>
        <translation>フィート。</translation>
    </message>
    <message>
        <source>Please enter a new End Range for </source>
        <comment>32053</comment>
        <translation>新しい終了範囲を入力してください: </translation>
    </message>
    <message>
        <source>Please enter a new Start Range for </source>
        <comment>32054</comment>
        <translation>新しい開始範囲を入力してください: </translation>
    </message>
    <message>
        <source>Depth</source>
        <comment>32076</comment>
        <translation>深度</translation>
    </message>
    <message>
        <source>Dpt.</source>
        <comment>32077</comment>
        <translation>深度</translation>
    </message>
    <message>
        <source>[ft]</source>
        <comment>32081</comment>
        <translation>[ft]</translation>
    </message>
    <message>
        <source>[m]</source>
        <comment>32082</comment>
        <translation>[m]</translation>
    </message>
    <message>
        <source>End Range must be larger than Start Range</source>
        <comment>32109</comment>
        <translation>終了範囲は開始範囲より大きくなければなりません</translation>
    </message>
    <message>
        <source>Start Range must be smaller than End Range</source>
        <comment>32110</comment>
        <translation>開始範囲は終了範囲より小さくなければなりません</translation>
    </message>
    <message>
        <source>Output Channels</source>
        <comment>32285</comment>
        <translation>出力チャンネル</translation>
    </message>
    <message>
        <source>Track 1</source>
        <comment>32329</comment>
        <translation>トラック 1</translation>
    </message>
    <message>
        <source>Track 2</source>
        <comment>32330</comment>
        <translation>トラック 2</translation>
    </message>
    <message>
        <source>Track 3</source>
        <comment>32331</comment>
        <translation>トラック 3</translation>
    </message>
    <message>
        <source>Depth</source>
        <comment>32332</comment>
        <translation>深度</translation>
    </message>
    <message>
        <source>Moving Average</source>
        <comment>32340</comment>
        <translation>移動平均</translation>
    </message>
    <message>
        <source>None</source>
        <comment>32342</comment>
        <translation>なし</translation>
    </message>
    <message>
        <source>Channel Display</source>
        <comment>32422</comment>
        <translation>チャンネル表示</translation>
    </message>
    <message>
        <source>Raw Data</source>
        <comment>32423</comment>
        <translation>生データ</translation>
    </message>
    <message>
        <source>Calibrated Data</source>
        <comment>32424</comment>
        <translation>校正済みデータ</translation>
    </message>
    <message>
        <source>User Function Data</source>
        <comment>32425</comment>
        <translation>ユーザー関数データ</translation>
    </message>
    <message>
        <source>Median Filter</source>
        <comment>32440</comment>
        <translation>メディアンフィルター</translation>
    </message>
    <message>
        <source>Combined Filter</source>
        <comment>32441</comment>
        <translation>複合フィルター</translation>
    </message>
    <message>
        <source>Couldn't load specified calibration file or no calibration coefficients found in Log Header file!</source>
        <comment>32165</comment>
        <translation>指定した校正ファイルを読み込めないか、ログヘッダーファイルに校正係数がありません。</translation>
    </message>
    <message>
        <source>Couldn't read from header file!</source>
        <comment>32180</comment>
        <translation>ヘッダーファイルを読み込めませんでした。</translation>
    </message>
    <message>
        <source>Depth: %02.02f %s   Date: %s   Time: %s   File: "%s"</source>
        <comment>32413</comment>
        <translation>深度: %02.02f %s   日付: %s   時刻: %s   ファイル: "%s"</translation>
    </message>
    <message>
        <source>Critical error: Couldn't save header information completely!</source>
        <comment>35200</comment>
        <translation>重大なエラー: ヘッダー情報を完全には保存できませんでした。</translation>
    </message>
    <message>
        <source>Bad Winch Direction</source>
        <comment>35201</comment>
        <translation>ウインチの方向が不正です</translation>
    </message>
    <message>
        <source>Sonde command in progress...</source>
        <comment>35202</comment>
        <translation>ゾンデコマンドを実行中...</translation>
    </message>
    <message>
        <source>Depth Error - Log speed too high</source>
        <comment>35203</comment>
        <translation>深度エラー - 検層速度が速すぎます</translation>
    </message>
    <message>
        <source>Could not load user process file!</source>
        <comment>35204</comment>
        <translation>ユーザー処理ファイルを読み込めませんでした。</translation>
    </message>
    <message>
        <source>Do you want to overwrite the original calibration coefficients with those from the selected calibration file? </source>
        <comment>35205</comment>
        <translation>元の校正係数を、選択した校正ファイルの係数で上書きしますか? </translation>
    </message>
    <message>
        <source>The header of this log gives a step of %d: the log can not be replayed!</source>
        <comment>35206</comment>
        <translation>このログのヘッダーのステップは %d です。このログは再生できません。</translation>
    </message>
    <message>
        <source>The header of this log does not give the depth its data ends at (was the log cut off while recording?). The replay range is taken from the data file: %.2f to %.2f %s.</source>
        <comment>35230</comment>
        <translation>このログのヘッダーにはデータの終了深度がありません(記録中にログが中断されましたか?)。再生範囲はデータファイルから取ります: %.2f から %.2f %s。</translation>
    </message>
    <message>
        <source>Export current log file to V106 format
Export</source>
        <comment>1000</comment>
        <translation>現在のログファイルを V106 形式でエクスポートします
エクスポート</translation>
    </message>
    <message>
        <source>The header file was successfully created. </source>
        <comment>32273</comment>
        <translation>ヘッダーファイルを作成しました。</translation>
    </message>
    <message>
        <source>Creation of hdr-File failed !</source>
        <comment>32113</comment>
        <translation>hdr ファイルの作成に失敗しました。</translation>
    </message>
    <message>
        <source>Import logs with different file formats
Import</source>
        <comment>1001</comment>
        <translation>さまざまな形式のログを取り込みます
取り込み</translation>
    </message>
    <message>
        <source>Display log header for current data file
Display Header</source>
        <comment>1005</comment>
        <translation>現在のデータファイルのログヘッダーを表示します
ヘッダー表示</translation>
    </message>
    <message>
        <source>Display or set cable parameters
Cable Options</source>
        <comment>1021</comment>
        <translation>ケーブルパラメーターを表示または設定します
ケーブルオプション</translation>
    </message>
    <message>
        <source>Calibrate standard-6-channel-sondes
Calibrate Sondes</source>
        <comment>1022</comment>
        <translation>標準 6 チャンネルゾンデを校正します
ゾンデ校正</translation>
    </message>
    <message>
        <source>Display Sonic Configuration Dialogue</source>
        <comment>1067</comment>
        <translation>ソニック設定ダイアログを表示します</translation>
    </message>
    <message>
        <source>Error while initializing the document !</source>
        <comment>32215</comment>
        <translation>ドキュメントの初期化中にエラーが発生しました。</translation>
    </message>
    <message>
        <source>You are already in Log or Replay mode!</source>
        <comment>32270</comment>
        <translation>すでに記録モードまたは再生モードです。</translation>
    </message>
    <message>
        <source>Open a log file</source>
        <comment>32271</comment>
        <translation>ログファイルを開く</translation>
    </message>
    <message>
        <source>Database error: Cable Parameters could not be saved.</source>
        <comment>32371</comment>
        <translation>データベースエラー: ケーブルパラメーターを保存できませんでした。</translation>
    </message>
    <message>
        <source>Snapshot</source>
        <comment>32471</comment>
        <translation>スナップショット</translation>
    </message>
    <message>
        <source>Get Samples</source>
        <comment>32472</comment>
        <translation>サンプル取得</translation>
    </message>
    <message>
        <source>Could not switch to scope shot mode, Hardware error.</source>
        <comment>32473</comment>
        <translation>スコープショットモードに切り替えられませんでした。ハードウェアエラーです。</translation>
    </message>
    <message>
        <source>Is a header required?</source>
        <comment>32380</comment>
        <translation>ヘッダーを印刷しますか?</translation>
    </message>
    <message>
        <source>Printer communication error !
Please check paper and connections !
Please turn off / on the printer to delete the buffer and try again !</source>
        <comment>32176</comment>
        <translation>プリンターの通信エラーです。
用紙と接続を確認してください。
プリンターの電源をいったん切ってバッファを消去してから、再試行してください。</translation>
    </message>
    <message>
        <source>ERROR</source>
        <comment>32204</comment>
        <translation>エラー</translation>
    </message>
    <message>
        <source>Could not open bitmap file.Bitmap file is empty.</source>
        <comment>32097</comment>
        <translation>ビットマップファイルを開けませんでした。ビットマップファイルが空です。</translation>
    </message>
    <message>
        <source>Invalid bitmap file</source>
        <comment>32098</comment>
        <translation>ビットマップファイルが不正です</translation>
    </message>
    <message>
        <source>Could not read bitmap</source>
        <comment>32099</comment>
        <translation>ビットマップを読み込めませんでした</translation>
    </message>
    <message>
        <source>%s     ( %s )</source>
        <comment>32370</comment>
        <translation>%s     ( %s )</translation>
    </message>
    <message>
        <source>Page %d</source>
        <comment>32403</comment>
        <translation>%d ページ</translation>
    </message>
    <message>
        <source>CALIBRATION CONSTANTS</source>
        <comment>32434</comment>
        <translation>校正定数</translation>
    </message>
    <message>
        <source>JIG</source>
        <comment>32435</comment>
        <translation>ジグ</translation>
    </message>
    <message>
        <source>CPS</source>
        <comment>32436</comment>
        <translation>CPS</translation>
    </message>
    <message>
        <source>VALUE</source>
        <comment>32437</comment>
        <translation>値</translation>
    </message>
    <message>
        <source>COEFFICIENT</source>
        <comment>32438</comment>
        <translation>係数</translation>
    </message>
    <message>
        <source>on %1</source>
        <comment>61504</comment>
        <translation>%1 上</translation>
    </message>
    <message>
        <source>Page %u</source>
        <comment>61507</comment>
        <translation>%u ページ</translation>
    </message>
    <message>
        <source>to %1</source>
        <comment>61513</comment>
        <translation>%1 へ</translation>
    </message>
    <message>
        <source>Could not start print job.</source>
        <comment>61702</comment>
        <translation>印刷ジョブを開始できませんでした。</translation>
    </message>
    <message>
        <source>The page has no room for the log's headers and trailer: printing stopped.</source>
        <comment>33600</comment>
        <translation>ページにログのヘッダーとトレーラーを入れる余地がないため、印刷を中止しました。</translation>
    </message>
    <message>
        <source>Could not load user process file!</source>
        <comment>32199</comment>
        <translation>ユーザー処理ファイルを読み込めませんでした。</translation>
    </message>
    <message>
        <source>The library crashed in %s.</source>
        <comment>36400</comment>
        <translation>ライブラリが %s でクラッシュしました。</translation>
    </message>
    <message>
        <source>The library did not return from %s within %g s.</source>
        <comment>36401</comment>
        <translation>ライブラリが %s から %g 秒以内に戻りませんでした。</translation>
    </message>
    <message>
        <source>The library ended the program itself (exit) in %s.</source>
        <comment>36402</comment>
        <translation>ライブラリが %s でプログラムを自ら終了しました (exit)。</translation>
    </message>
    <message>
        <source>The library exports %s, but not as a function.</source>
        <comment>36403</comment>
        <translation>ライブラリは %s をエクスポートしていますが、関数ではありません。</translation>
    </message>
    <message>
        <source>The library could not be checked: the check program %s could not be started.</source>
        <comment>36404</comment>
        <translation>ライブラリを検査できません: 検査プログラム %s を起動できませんでした。</translation>
    </message>
    <message>
        <source>The library could not be loaded.</source>
        <comment>36405</comment>
        <translation>ライブラリを読み込めませんでした。</translation>
    </message>
    <message>
        <source>The library does not export the function UserFunction.</source>
        <comment>36406</comment>
        <translation>ライブラリは関数 UserFunction をエクスポートしていません。</translation>
    </message>
    <message>
        <source>A call of this library did not return: it can not be loaded again until the program restarts.</source>
        <comment>36407</comment>
        <translation>このライブラリの呼び出しが戻りませんでした: プログラムを再起動するまで再び読み込むことはできません。</translation>
    </message>
    <message>
        <source>loading the library</source>
        <comment>36410</comment>
        <translation>ライブラリの読み込み</translation>
    </message>
    <message>
        <source>Init()</source>
        <comment>36411</comment>
        <translation>Init()</translation>
    </message>
    <message>
        <source>InitWaveforms()</source>
        <comment>36412</comment>
        <translation>InitWaveforms()</translation>
    </message>
    <message>
        <source>UserFunction() with %s</source>
        <comment>36413</comment>
        <translation>UserFunction() (%s)</translation>
    </message>
    <message>
        <source>unloading the library</source>
        <comment>36414</comment>
        <translation>ライブラリの解放</translation>
    </message>
    <message>
        <source>every input %s</source>
        <comment>36415</comment>
        <translation>すべての入力が %s</translation>
    </message>
    <message>
        <source>each channel at the minimum of its display range</source>
        <comment>36416</comment>
        <translation>各チャンネルが表示範囲の最小値</translation>
    </message>
    <message>
        <source>each channel at the maximum of its display range</source>
        <comment>36417</comment>
        <translation>各チャンネルが表示範囲の最大値</translation>
    </message>
    <message>
        <source>The user function %s does not return.
Every record written so far is kept, but the log can not go on: close the log or the program.</source>
        <comment>36420</comment>
        <translation>ユーザー関数 %s が戻りません。
これまでに書き込まれたレコードはすべて保持されますが、ログを続行できません: ログまたはプログラムを閉じてください。</translation>
    </message>
    <message>
        <source>All %d user function numbers of the sonde %s are taken: remove a function before you make a new one.</source>
        <comment>36430</comment>
        <translation>%d 個のユーザー関数番号がゾンデ %s ですべて使用されています: 新しい関数を作る前に関数を削除してください。</translation>
    </message>
    <message>
        <source>The Directory '%s' doesn't exist!</source>
        <comment>32171</comment>
        <translation>フォルダー '%s' がありません。</translation>
    </message>
    <message>
        <source>Compiler error!</source>
        <comment>32187</comment>
        <translation>コンパイラーのエラーです。</translation>
    </message>
    <message>
        <source>Userfunction Implementation Failed:
Fatal compiler error.</source>
        <comment>32188</comment>
        <translation>ユーザー関数を実装できませんでした:
コンパイラーの致命的エラーです。</translation>
    </message>
    <message>
        <source>The system is out of memory or resources.</source>
        <comment>32189</comment>
        <translation>メモリまたはリソースが不足しています。</translation>
    </message>
    <message>
        <source>The sourcecode could not be saved!
Insufficient disk space or invalid path: '%s'</source>
        <comment>32191</comment>
        <translation>ソースコードを保存できませんでした。
ディスク容量が足りないか、パスが不正です: '%s'</translation>
    </message>
    <message>
        <source>Can not start function compiler. File or library not found.</source>
        <comment>32192</comment>
        <translation>関数コンパイラーを起動できません。ファイルまたはライブラリが見つかりません。</translation>
    </message>
    <message>
        <source>Userfunction Implementation Failed:
Syntax error in source code.</source>
        <comment>32193</comment>
        <translation>ユーザー関数を実装できませんでした:
ソースコードに構文エラーがあります。</translation>
    </message>
    <message>
        <source>Implementation of Userfunction successful.</source>
        <comment>32341</comment>
        <translation>ユーザー関数を実装しました。</translation>
    </message>
    <message>
        <source>User Function (*.ufn)|*.ufn||</source>
        <comment>32394</comment>
        <translation>ユーザー関数 (*.ufn)|*.ufn||</translation>
    </message>
    <message>
        <source>Export to file %s succeeded.</source>
        <comment>32397</comment>
        <translation>ファイル %s へのエクスポートに成功しました。</translation>
    </message>
    <message>
        <source>Export to file %s failed.</source>
        <comment>32398</comment>
        <translation>ファイル %s へのエクスポートに失敗しました。</translation>
    </message>
    <message>
        <source>The user function files already exist. Overwrite?</source>
        <comment>32399</comment>
        <translation>ユーザー関数ファイルはすでにあります。上書きしますか?</translation>
    </message>
    <message>
        <source>Import from file %s succeeded.</source>
        <comment>32400</comment>
        <translation>ファイル %s からの取り込みに成功しました。</translation>
    </message>
    <message>
        <source>Import from file %s failed.</source>
        <comment>32401</comment>
        <translation>ファイル %s からの取り込みに失敗しました。</translation>
    </message>
    <message>
        <source>User Function Tool</source>
        <comment>32052</comment>
        <translation>ユーザー関数ツール</translation>
    </message>
    <message>
        <source>Userfunction Source File (*.src)|*.src||</source>
        <comment>32219</comment>
        <translation>ユーザー関数ソースファイル (*.src)|*.src||</translation>
    </message>
    <message>
        <source>Output Channel %d</source>
        <comment>32226</comment>
        <translation>出力チャンネル %d</translation>
    </message>
    <message>
        <source>OUT%d</source>
        <comment>32227</comment>
        <translation>OUT%d</translation>
    </message>
    <message>
        <source>%s UserFunction</source>
        <comment>32228</comment>
        <translation>%s UserFunction</translation>
    </message>
    <message>
        <source>%s UserFunction%d</source>
        <comment>32229</comment>
        <translation>%s UserFunction%d</translation>
    </message>
    <message>
        <source>Do you really want to remove the selected user function?</source>
        <comment>32396</comment>
        <translation>選択したユーザー関数を削除しますか?</translation>
    </message>
    <message>
        <source>*** All sondes ***</source>
        <comment>32402</comment>
        <translation>*** すべてのゾンデ ***</translation>
    </message>
    <message>
        <source>[mft]</source>
        <comment>32350</comment>
        <translation>[mft]</translation>
    </message>
    <message>
        <source>[mm]</source>
        <comment>32352</comment>
        <translation>[mm]</translation>
    </message>
    <message>
        <source>Please enter a new Start Range for </source>
        <comment>32316</comment>
        <translation>新しい開始範囲を入力してください: </translation>
    </message>
    <message>
        <source>Please enter a new End Range for </source>
        <comment>32090</comment>
        <translation>新しい終了範囲を入力してください: </translation>
    </message>
    <message>
        <source>Start Range must be smaller than End Range.</source>
        <comment>32186</comment>
        <translation>開始範囲は終了範囲より小さくなければなりません。</translation>
    </message>
    <message>
        <source>End Range must be larger than Start Range.</source>
        <comment>32132</comment>
        <translation>終了範囲は開始範囲より大きくなければなりません。</translation>
    </message>
</context>
<context>
    <name>ui</name>
    <message>
        <source>
A%d = %.5G</source>
        <translation>
A%d = %.5G</translation>
    </message>
    <message>
        <source>   User   </source>
        <translation>   ユーザー   </translation>
    </message>
    <message>
        <source>%.2f GB</source>
        <translation>%.2f GB</translation>
    </message>
    <message>
        <source>%.2f MB</source>
        <translation>%.2f MB</translation>
    </message>
    <message>
        <source>%d J</source>
        <translation>%d J</translation>
    </message>
    <message>
        <source>&amp;Abort</source>
        <translation>中止(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;About Quorvanta...</source>
        <translation>Quorvanta について(&amp;A)...</translation>
    </message>
    <message>
        <source>&amp;Calibration...</source>
        <translation>校正(&amp;C)...</translation>
    </message>
    <message>
        <source>&amp;Change Layout...</source>
        <translation>レイアウトの変更(&amp;C)...</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>閉じる(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Compile and Implement</source>
        <translation>コンパイルして実装(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>削除(&amp;D)</translation>
    </message>
    <message>
        <source>&amp;Depth Shift...</source>
        <translation>深度シフト(&amp;D)...</translation>
    </message>
    <message>
        <source>&amp;Discard</source>
        <translation>破棄(&amp;D)</translation>
    </message>
    <message>
        <source>&amp;Edit Calibration File...</source>
        <translation>校正ファイルの編集(&amp;E)...</translation>
    </message>
    <message>
        <source>&amp;Equalise</source>
        <translation>均等化(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>終了(&amp;X)</translation>
    </message>
    <message>
        <source>&amp;Export</source>
        <translation>エクスポート(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Fire Heaters</source>
        <translation>ヒーター点火(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Help Topics</source>
        <translation>ヘルプ トピック(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;Import</source>
        <translation>取り込み(&amp;I)</translation>
    </message>
    <message>
        <source>&amp;Info</source>
        <translation>情報(&amp;I)</translation>
    </message>
    <message>
        <source>&amp;Invert BHTV colours</source>
        <translation>BHTV の色を反転(&amp;I)</translation>
    </message>
    <message>
        <source>&amp;LAS 2.0...</source>
        <translation>&amp;LAS 2.0...</translation>
    </message>
    <message>
        <source>&amp;Merge Logs...</source>
        <translation>ログのマージ(&amp;M)...</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>新規(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;New Log...</source>
        <translation>新規ログ(&amp;N)...</translation>
    </message>
    <message>
        <source>&amp;Normalize BHTV Transit Time</source>
        <translation>BHTV 伝播時間の正規化(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;ORX2</source>
        <translation>&amp;ORX2</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>印刷(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Replay Control</source>
        <translation>再生制御(&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Replay Log...</source>
        <translation>ログの再生(&amp;R)...</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>保存(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Save Source</source>
        <translation>ソースの保存(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Select Sonde...</source>
        <translation>ゾンデの選択(&amp;S)...</translation>
    </message>
    <message>
        <source>&amp;Sonde Control</source>
        <translation>ゾンデ制御(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Test Sonde...</source>
        <translation>ゾンデテスト(&amp;T)...</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>ツール(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;User Functions...</source>
        <translation>ユーザー関数(&amp;U)...</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>表示(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Winch Control</source>
        <translation>ウインチ制御(&amp;W)</translation>
    </message>
    <message>
        <source>- No Selection -</source>
        <translation>- 選択なし -</translation>
    </message>
    <message>
        <source>- not used -</source>
        <translation>- 未使用 -</translation>
    </message>
    <message>
        <source>--- No Selection ---</source>
        <translation>--- 選択なし ---</translation>
    </message>
    <message>
        <source>16 µs</source>
        <translation>16 µs</translation>
    </message>
    <message>
        <source>4 µs</source>
        <translation>4 µs</translation>
    </message>
    <message>
        <source>8 µs</source>
        <translation>8 µs</translation>
    </message>
    <message>
        <source>Abbrevation</source>
        <translation>略称</translation>
    </message>
    <message>
        <source>Abbreviation</source>
        <translation>略称</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>中止</translation>
    </message>
    <message>
        <source>About Quorvanta</source>
        <translation>Quorvanta について</translation>
    </message>
    <message>
        <source>Adaptiv</source>
        <translation>適応型</translation>
    </message>
    <message>
        <source>Adjust Reference Values</source>
        <translation>基準値の調整</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>適用</translation>
    </message>
    <message>
        <source>Async (BHTV)</source>
        <translation>非同期 (BHTV)</translation>
    </message>
    <message>
        <source>Attach Userfunction</source>
        <translation>ユーザー関数を付加</translation>
    </message>
    <message>
        <source>Available Channels</source>
        <translation>使用可能なチャンネル</translation>
    </message>
    <message>
        <source>BHTV Bitmap Processing</source>
        <translation>BHTV ビットマップ処理</translation>
    </message>
    <message>
        <source>Baudrate:</source>
        <translation>ボーレート:</translation>
    </message>
    <message>
        <source>Bit:</source>
        <translation>ビット:</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>参照</translation>
    </message>
    <message>
        <source>Browse Output File</source>
        <translation>出力ファイルの参照</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>参照...</translation>
    </message>
    <message>
        <source>Build:</source>
        <translation>ビルド:</translation>
    </message>
    <message>
        <source>CPS</source>
        <translation>CPS</translation>
    </message>
    <message>
        <source>CPS scale:</source>
        <translation>CPS スケール:</translation>
    </message>
    <message>
        <source>Cable Parameters</source>
        <translation>ケーブルパラメーター</translation>
    </message>
    <message>
        <source>Cable Settings</source>
        <translation>ケーブル設定</translation>
    </message>
    <message>
        <source>Cable Transmission Monitor</source>
        <translation>ケーブル伝送モニター</translation>
    </message>
    <message>
        <source>Cable-
tension:</source>
        <translation>ケーブル
張力:</translation>
    </message>
    <message>
        <source>Calibration</source>
        <translation>校正</translation>
    </message>
    <message>
        <source>Calibration:</source>
        <translation>校正:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Chan&amp;ge System Settings...</source>
        <translation>システム設定の変更(&amp;G)...</translation>
    </message>
    <message>
        <source>Change Cable &amp;Options...</source>
        <translation>ケーブルオプションの変更(&amp;O)...</translation>
    </message>
    <message>
        <source>Change Display Colour</source>
        <translation>表示色の変更</translation>
    </message>
    <message>
        <source>Change Print Style</source>
        <translation>印刷スタイルの変更</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>チャンネル</translation>
    </message>
    <message>
        <source>Channel &amp;Display</source>
        <translation>チャンネル表示(&amp;D)</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>チャンネル</translation>
    </message>
    <message>
        <source>Circumference:</source>
        <translation>円周:</translation>
    </message>
    <message>
        <source>Client / Location</source>
        <translation>顧客 / 場所</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>Close Caliper</source>
        <translation>キャリパーを閉じる</translation>
    </message>
    <message>
        <source>Coefficient file:</source>
        <translation>係数ファイル:</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>コメント</translation>
    </message>
    <message>
        <source>Company:</source>
        <translation>会社:</translation>
    </message>
    <message>
        <source>Configuration</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>Count Rate:</source>
        <translation>計数率:</translation>
    </message>
    <message>
        <source>Country:</source>
        <translation>国:</translation>
    </message>
    <message>
        <source>County:</source>
        <translation>郡:</translation>
    </message>
    <message>
        <source>Create Merge Log</source>
        <translation>マージログの作成</translation>
    </message>
    <message>
        <source>Current Depth:</source>
        <translation>現在の深度:</translation>
    </message>
    <message>
        <source>Current Limit [mA]</source>
        <translation>電流制限 [mA]</translation>
    </message>
    <message>
        <source>Current Value:</source>
        <translation>現在値:</translation>
    </message>
    <message>
        <source>Curve Options</source>
        <translation>カーブオプション</translation>
    </message>
    <message>
        <source>Curvecolor</source>
        <translation>カーブ色</translation>
    </message>
    <message>
        <source>Curvestyle</source>
        <translation>カーブスタイル</translation>
    </message>
    <message>
        <source>D&amp;irect Realtime Print</source>
        <translation>リアルタイム直接印刷(&amp;I)</translation>
    </message>
    <message>
        <source>DN</source>
        <translation>降下</translation>
    </message>
    <message>
        <source>Data Channels</source>
        <translation>データチャンネル</translation>
    </message>
    <message>
        <source>Data Channels:</source>
        <translation>データチャンネル:</translation>
    </message>
    <message>
        <source>Data Processing</source>
        <translation>データ処理</translation>
    </message>
    <message>
        <source>Data channel:</source>
        <translation>データチャンネル:</translation>
    </message>
    <message>
        <source>Data output from sonde</source>
        <translation>ゾンデからのデータ出力</translation>
    </message>
    <message>
        <source>Date:</source>
        <translation>日付:</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Density:</source>
        <translation>密度:</translation>
    </message>
    <message>
        <source>Depth
Scale:</source>
        <translation>深度
スケール:</translation>
    </message>
    <message>
        <source>Depth Driller:</source>
        <translation>掘削深度:</translation>
    </message>
    <message>
        <source>Depth Logger:</source>
        <translation>検層深度:</translation>
    </message>
    <message>
        <source>Depth Mode Step</source>
        <translation>深度モードのステップ</translation>
    </message>
    <message>
        <source>Depth Scale:</source>
        <translation>深度スケール:</translation>
    </message>
    <message>
        <source>Depth Wheel:</source>
        <translation>深度ホイール:</translation>
    </message>
    <message>
        <source>Depth based</source>
        <translation>深度基準</translation>
    </message>
    <message>
        <source>Depth units are in </source>
        <translation>深度単位: </translation>
    </message>
    <message>
        <source>Depth:</source>
        <translation>深度:</translation>
    </message>
    <message>
        <source>Description:</source>
        <translation>説明:</translation>
    </message>
    <message>
        <source>Detect Fold Marks</source>
        <translation>折り目マークを検出</translation>
    </message>
    <message>
        <source>Detect form marks</source>
        <translation>用紙マークを検出</translation>
    </message>
    <message>
        <source>Display Layout / Channel-To-Track-Assignment</source>
        <translation>表示レイアウト / チャンネルのトラック割り当て</translation>
    </message>
    <message>
        <source>Display Options</source>
        <translation>表示オプション</translation>
    </message>
    <message>
        <source>Document :</source>
        <translation>ドキュメント:</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>降下</translation>
    </message>
    <message>
        <source>Drill Bit Size / Casing</source>
        <translation>ビットサイズ / ケーシング</translation>
    </message>
    <message>
        <source>Drill Floor:</source>
        <translation>掘削フロア:</translation>
    </message>
    <message>
        <source>Drilling Datum:</source>
        <translation>掘削基準面:</translation>
    </message>
    <message>
        <source>Drive:</source>
        <translation>ドライブ:</translation>
    </message>
    <message>
        <source>E&amp;xit Quorvanta</source>
        <translation>Quorvanta の終了(&amp;X)</translation>
    </message>
    <message>
        <source>Elevation:</source>
        <translation>標高:</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>有効</translation>
    </message>
    <message>
        <source>Enable Raw Data Filtering</source>
        <translation>生データのフィルター処理を有効にする</translation>
    </message>
    <message>
        <source>Encoder:</source>
        <translation>エンコーダー:</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>Export Depth Range:</source>
        <translation>エクスポートする深度範囲:</translation>
    </message>
    <message>
        <source>Far Receiver</source>
        <translation>遠距離受信器</translation>
    </message>
    <message>
        <source>Field:</source>
        <translation>フィールド:</translation>
    </message>
    <message>
        <source>File %1</source>
        <translation>ファイル %1</translation>
    </message>
    <message>
        <source>Film</source>
        <translation>フィルム</translation>
    </message>
    <message>
        <source>Filter Options:</source>
        <translation>フィルターオプション:</translation>
    </message>
    <message>
        <source>Filter Parameter</source>
        <translation>フィルターパラメーター</translation>
    </message>
    <message>
        <source>Filteroptions</source>
        <translation>フィルターオプション</translation>
    </message>
    <message>
        <source>Filtertype</source>
        <translation>フィルターの種類</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>完了</translation>
    </message>
    <message>
        <source>Firmware:</source>
        <translation>ファームウェア:</translation>
    </message>
    <message>
        <source>Fit depth range to single page</source>
        <translation>深度範囲を 1 ページに収める</translation>
    </message>
    <message>
        <source>Floyd-Steinberg Dithering</source>
        <translation>Floyd-Steinberg ディザリング</translation>
    </message>
    <message>
        <source>Fluid in Hole:</source>
        <translation>孔内流体:</translation>
    </message>
    <message>
        <source>Free Pipe Gate Calculation</source>
        <translation>フリーパイプゲートの計算</translation>
    </message>
    <message>
        <source>Free Pipe Gate Settings</source>
        <translation>フリーパイプゲートの設定</translation>
    </message>
    <message>
        <source>Free memory:</source>
        <translation>空きメモリ:</translation>
    </message>
    <message>
        <source>Free space:</source>
        <translation>空き容量:</translation>
    </message>
    <message>
        <source>From:</source>
        <translation>開始:</translation>
    </message>
    <message>
        <source>Full Title:</source>
        <translation>正式名称:</translation>
    </message>
    <message>
        <source>Function Editor</source>
        <translation>関数エディター</translation>
    </message>
    <message>
        <source>Function list:</source>
        <translation>関数一覧:</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>ゲイン</translation>
    </message>
    <message>
        <source>Gain:</source>
        <translation>ゲイン:</translation>
    </message>
    <message>
        <source>Gate Position</source>
        <translation>ゲート位置</translation>
    </message>
    <message>
        <source>Gate Width</source>
        <translation>ゲート幅</translation>
    </message>
    <message>
        <source>Gauge:</source>
        <translation>ゲージ:</translation>
    </message>
    <message>
        <source>General Settings</source>
        <translation>一般設定</translation>
    </message>
    <message>
        <source>Grid Options</source>
        <translation>グリッドオプション</translation>
    </message>
    <message>
        <source>Gridcolor</source>
        <translation>グリッド色</translation>
    </message>
    <message>
        <source>Gridstyle</source>
        <translation>グリッドスタイル</translation>
    </message>
    <message>
        <source>Ground Level:</source>
        <translation>地表面:</translation>
    </message>
    <message>
        <source>Gulton</source>
        <translation>Gulton</translation>
    </message>
    <message>
        <source>H</source>
        <translation>H</translation>
    </message>
    <message>
        <source>Hardware revision:</source>
        <translation>ハードウェアリビジョン:</translation>
    </message>
    <message>
        <source>Header</source>
        <translation>ヘッダー</translation>
    </message>
    <message>
        <source>Heat Pulse Flowmeter</source>
        <translation>ヒートパルス流量計</translation>
    </message>
    <message>
        <source>Implementation</source>
        <translation>実装</translation>
    </message>
    <message>
        <source>Import ...</source>
        <translation>取り込み...</translation>
    </message>
    <message>
        <source>Init Depth System</source>
        <translation>深度系の初期化</translation>
    </message>
    <message>
        <source>Initialise &amp;Hardware</source>
        <translation>ハードウェアの初期化(&amp;H)</translation>
    </message>
    <message>
        <source>Initialise Depth S&amp;ystem...</source>
        <translation>深度系の初期化(&amp;Y)...</translation>
    </message>
    <message>
        <source>Initialize</source>
        <translation>初期化</translation>
    </message>
    <message>
        <source>Input %1</source>
        <translation>入力 %1</translation>
    </message>
    <message>
        <source>Input Log File:</source>
        <translation>入力ログファイル:</translation>
    </message>
    <message>
        <source>Interface:</source>
        <translation>インターフェース:</translation>
    </message>
    <message>
        <source>Interpretation Point:</source>
        <translation>解析点:</translation>
    </message>
    <message>
        <source>Interval:</source>
        <translation>間隔:</translation>
    </message>
    <message>
        <source>Jig 1:</source>
        <translation>ジグ 1:</translation>
    </message>
    <message>
        <source>Jig 2:</source>
        <translation>ジグ 2:</translation>
    </message>
    <message>
        <source>Kelly Bushing Elev.:</source>
        <translation>ケリーブッシング標高:</translation>
    </message>
    <message>
        <source>LAS Export Utility</source>
        <translation>LAS エクスポートユーティリティ</translation>
    </message>
    <message>
        <source>LPT1</source>
        <translation>LPT1</translation>
    </message>
    <message>
        <source>LPT2</source>
        <translation>LPT2</translation>
    </message>
    <message>
        <source>LPT3</source>
        <translation>LPT3</translation>
    </message>
    <message>
        <source>Latitude:</source>
        <translation>緯度:</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>長さ</translation>
    </message>
    <message>
        <source>Level:</source>
        <translation>高さ:</translation>
    </message>
    <message>
        <source>Linear</source>
        <translation>線形</translation>
    </message>
    <message>
        <source>Load a Template</source>
        <translation>テンプレートの読み込み</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>ログ</translation>
    </message>
    <message>
        <source>Log Datum</source>
        <translation>検層基準面</translation>
    </message>
    <message>
        <source>Log Datum:</source>
        <translation>検層基準面:</translation>
    </message>
    <message>
        <source>Log Deepest:</source>
        <translation>検層最深部:</translation>
    </message>
    <message>
        <source>Log Engineer:</source>
        <translation>検層技術者:</translation>
    </message>
    <message>
        <source>Log Mode</source>
        <translation>ログモード</translation>
    </message>
    <message>
        <source>Log Shallow:</source>
        <translation>検層最浅部:</translation>
    </message>
    <message>
        <source>Log Time:</source>
        <translation>記録時間:</translation>
    </message>
    <message>
        <source>Log on separate page</source>
        <translation>ログを別ページに印刷</translation>
    </message>
    <message>
        <source>Log sonic in CBL mode</source>
        <translation>ソニックを CBL モードで記録</translation>
    </message>
    <message>
        <source>Logarithmic</source>
        <translation>対数</translation>
    </message>
    <message>
        <source>Logarithmic </source>
        <translation>対数 </translation>
    </message>
    <message>
        <source>Logging Run</source>
        <translation>検層ラン</translation>
    </message>
    <message>
        <source>Long Spacing</source>
        <translation>長スペーシング</translation>
    </message>
    <message>
        <source>Longitude:</source>
        <translation>経度:</translation>
    </message>
    <message>
        <source>M</source>
        <translation>M</translation>
    </message>
    <message>
        <source>Main Log Title:</source>
        <translation>ログの主表題:</translation>
    </message>
    <message>
        <source>Manufacturer</source>
        <translation>メーカー</translation>
    </message>
    <message>
        <source>Max. Temp.:</source>
        <translation>最高温度:</translation>
    </message>
    <message>
        <source>Maximum</source>
        <translation>最大</translation>
    </message>
    <message>
        <source>Merge Log Files</source>
        <translation>ログファイルのマージ</translation>
    </message>
    <message>
        <source>Minimum</source>
        <translation>最小</translation>
    </message>
    <message>
        <source>Misuse of these settings may cause equipment damage</source>
        <translation>これらの設定を誤ると機器が損傷するおそれがあります</translation>
    </message>
    <message>
        <source>NO</source>
        <translation>NO</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>Name for log file:</source>
        <translation>ログファイル名:</translation>
    </message>
    <message>
        <source>Near Receiver</source>
        <translation>近距離受信器</translation>
    </message>
    <message>
        <source>New</source>
        <translation>新規</translation>
    </message>
    <message>
        <source>New Full Title:</source>
        <translation>新しい正式名称:</translation>
    </message>
    <message>
        <source>New Range</source>
        <translation>新しい範囲</translation>
    </message>
    <message>
        <source>New Short Title:</source>
        <translation>新しい略称:</translation>
    </message>
    <message>
        <source>No error</source>
        <translation>エラーなし</translation>
    </message>
    <message>
        <source>None</source>
        <translation>なし</translation>
    </message>
    <message>
        <source>Normalize BHTV &amp;Amplitude</source>
        <translation>BHTV 振幅の正規化(&amp;A)</translation>
    </message>
    <message>
        <source>Null</source>
        <translation>ヌル値</translation>
    </message>
    <message>
        <source>Number of Channels</source>
        <translation>チャンネル数</translation>
    </message>
    <message>
        <source>Number of input channels:</source>
        <translation>入力チャンネル数:</translation>
    </message>
    <message>
        <source>Number of output channels:</source>
        <translation>出力チャンネル数:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Offset</source>
        <translation>オフセット</translation>
    </message>
    <message>
        <source>Offset:</source>
        <translation>オフセット:</translation>
    </message>
    <message>
        <source>Open Caliper</source>
        <translation>キャリパーを開く</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>オプション:</translation>
    </message>
    <message>
        <source>Other Services:</source>
        <translation>その他のサービス:</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>出力</translation>
    </message>
    <message>
        <source>Output Header From:</source>
        <translation>出力ヘッダーの元:</translation>
    </message>
    <message>
        <source>Output LAS File:</source>
        <translation>出力 LAS ファイル:</translation>
    </message>
    <message>
        <source>Output Log File:</source>
        <translation>出力ログファイル:</translation>
    </message>
    <message>
        <source>PAUSE</source>
        <translation>一時停止</translation>
    </message>
    <message>
        <source>PDF</source>
        <translation>PDF</translation>
    </message>
    <message>
        <source>PRINT</source>
        <translation>印刷</translation>
    </message>
    <message>
        <source>PSE</source>
        <translation>休止</translation>
    </message>
    <message>
        <source>PWR</source>
        <translation>電源</translation>
    </message>
    <message>
        <source>Page :</source>
        <translation>ページ:</translation>
    </message>
    <message>
        <source>Page Mode &amp;Print</source>
        <translation>ページモード印刷(&amp;P)</translation>
    </message>
    <message>
        <source>Paper</source>
        <translation>用紙</translation>
    </message>
    <message>
        <source>Permanent Datum:</source>
        <translation>恒久基準面:</translation>
    </message>
    <message>
        <source>Physical Channel:</source>
        <translation>物理チャンネル:</translation>
    </message>
    <message>
        <source>Pipe Diameter</source>
        <translation>パイプ径</translation>
    </message>
    <message>
        <source>Please enter a new Start Range for</source>
        <translation>新しい開始範囲を入力してください:</translation>
    </message>
    <message>
        <source>Please enter a number between -1000 and 1000.</source>
        <translation>-1000 から 1000 までの数値を入力してください。</translation>
    </message>
    <message>
        <source>Please enter the following parameters !</source>
        <translation>次のパラメーターを入力してください。</translation>
    </message>
    <message>
        <source>Plot linked logs</source>
        <translation>リンクしたログをプロット</translation>
    </message>
    <message>
        <source>Polarity</source>
        <translation>極性</translation>
    </message>
    <message>
        <source>Port :</source>
        <translation>ポート:</translation>
    </message>
    <message>
        <source>Print Header</source>
        <translation>ヘッダーを印刷</translation>
    </message>
    <message>
        <source>Print calibration details</source>
        <translation>校正の詳細を印刷</translation>
    </message>
    <message>
        <source>Print header page</source>
        <translation>ヘッダーページを印刷</translation>
    </message>
    <message>
        <source>Print medium</source>
        <translation>印刷媒体</translation>
    </message>
    <message>
        <source>Print with Scale of 1:</source>
        <translation>印刷縮尺 1:</translation>
    </message>
    <message>
        <source>Printer</source>
        <translation>プリンター</translation>
    </message>
    <message>
        <source>Printer :</source>
        <translation>プリンター:</translation>
    </message>
    <message>
        <source>Printer Output</source>
        <translation>プリンター出力</translation>
    </message>
    <message>
        <source>Printer Port</source>
        <translation>プリンターポート</translation>
    </message>
    <message>
        <source>Printing</source>
        <translation>印刷中</translation>
    </message>
    <message>
        <source>Printrex 820 DL</source>
        <translation>Printrex 820 DL</translation>
    </message>
    <message>
        <source>Printrex 840 DL</source>
        <translation>Printrex 840 DL</translation>
    </message>
    <message>
        <source>Printstyle</source>
        <translation>印刷スタイル</translation>
    </message>
    <message>
        <source>Probe Configuration</source>
        <translation>プローブ構成</translation>
    </message>
    <message>
        <source>Product:</source>
        <translation>製品:</translation>
    </message>
    <message>
        <source>Project Heading:</source>
        <translation>プロジェクト表題:</translation>
    </message>
    <message>
        <source>Pulse Width:</source>
        <translation>パルス幅:</translation>
    </message>
    <message>
        <source>Quorvanta</source>
        <translation>Quorvanta</translation>
    </message>
    <message>
        <source>REC</source>
        <translation>記録</translation>
    </message>
    <message>
        <source>RESTART</source>
        <translation>やり直し</translation>
    </message>
    <message>
        <source>Raw Data Filter</source>
        <translation>生データフィルター</translation>
    </message>
    <message>
        <source>Real &amp;Time Printer Setup...</source>
        <translation>リアルタイムプリンターの設定(&amp;T)...</translation>
    </message>
    <message>
        <source>Real Time Printer Setup</source>
        <translation>リアルタイムプリンターの設定</translation>
    </message>
    <message>
        <source>Realtime Printing</source>
        <translation>リアルタイム印刷</translation>
    </message>
    <message>
        <source>Receiver %1</source>
        <translation>受信器 %1</translation>
    </message>
    <message>
        <source>Remarks</source>
        <translation>備考</translation>
    </message>
    <message>
        <source>Remarks:</source>
        <translation>備考:</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Rename Channel</source>
        <translation>チャンネル名の変更</translation>
    </message>
    <message>
        <source>Replay Range</source>
        <translation>再生範囲</translation>
    </message>
    <message>
        <source>Replay Settings</source>
        <translation>再生設定</translation>
    </message>
    <message>
        <source>Replay speed</source>
        <translation>再生速度</translation>
    </message>
    <message>
        <source>Reported hardware errors:</source>
        <translation>報告されたハードウェアエラー:</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>リセット</translation>
    </message>
    <message>
        <source>Reverse Scale</source>
        <translation>スケールを反転</translation>
    </message>
    <message>
        <source>Reverse Scales</source>
        <translation>スケールを反転</translation>
    </message>
    <message>
        <source>Reverse direction</source>
        <translation>方向を反転</translation>
    </message>
    <message>
        <source>Revert Depth Direction</source>
        <translation>深度方向を反転</translation>
    </message>
    <message>
        <source>Rig Time:</source>
        <translation>リグ時間:</translation>
    </message>
    <message>
        <source>Run %1</source>
        <translation>ラン %1</translation>
    </message>
    <message>
        <source>Run No.:</source>
        <translation>ラン番号:</translation>
    </message>
    <message>
        <source>STP</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Salinity:</source>
        <translation>塩分濃度:</translation>
    </message>
    <message>
        <source>Sample rate</source>
        <translation>サンプリングレート</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Save as Template</source>
        <translation>テンプレートとして保存</translation>
    </message>
    <message>
        <source>Schematicfile</source>
        <translation>概略図ファイル</translation>
    </message>
    <message>
        <source>Screen Tracks</source>
        <translation>画面トラック</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>選択</translation>
    </message>
    <message>
        <source>Select Run</source>
        <translation>ランの選択</translation>
    </message>
    <message>
        <source>Select Type:</source>
        <translation>種類の選択:</translation>
    </message>
    <message>
        <source>Select file</source>
        <translation>ファイルの選択</translation>
    </message>
    <message>
        <source>Select files</source>
        <translation>ファイルの選択</translation>
    </message>
    <message>
        <source>Selected title already exists in output channel list!</source>
        <translation>選択した名称は出力チャンネル一覧にすでにあります。</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>選択</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>送信</translation>
    </message>
    <message>
        <source>Serial Number</source>
        <translation>シリアル番号</translation>
    </message>
    <message>
        <source>Serial Number:</source>
        <translation>シリアル番号:</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>シリアル番号</translation>
    </message>
    <message>
        <source>Serial number:</source>
        <translation>シリアル番号:</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>Set Default</source>
        <translation>既定値に戻す</translation>
    </message>
    <message>
        <source>Set Parameters</source>
        <translation>パラメーターの設定</translation>
    </message>
    <message>
        <source>Set Tool Depth</source>
        <translation>ツール深度の設定</translation>
    </message>
    <message>
        <source>Shift Depth of Log/Log Channels</source>
        <translation>ログ/ログチャンネルの深度シフト</translation>
    </message>
    <message>
        <source>Shift complete Log</source>
        <translation>ログ全体をシフト</translation>
    </message>
    <message>
        <source>Shift individual Channels</source>
        <translation>チャンネルを個別にシフト</translation>
    </message>
    <message>
        <source>Short</source>
        <translation>略称</translation>
    </message>
    <message>
        <source>Short Name</source>
        <translation>略称</translation>
    </message>
    <message>
        <source>Short Spacing</source>
        <translation>短スペーシング</translation>
    </message>
    <message>
        <source>Short Title:</source>
        <translation>略称:</translation>
    </message>
    <message>
        <source>Show Data</source>
        <translation>データ表示</translation>
    </message>
    <message>
        <source>Show Grid</source>
        <translation>グリッドを表示</translation>
    </message>
    <message>
        <source>Show Log &amp;Header...</source>
        <translation>ログヘッダーの表示(&amp;H)...</translation>
    </message>
    <message>
        <source>Signal processor:</source>
        <translation>信号処理装置:</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>サイズ:</translation>
    </message>
    <message>
        <source>Snapshot</source>
        <translation>スナップショット</translation>
    </message>
    <message>
        <source>So&amp;nic Configuration...</source>
        <translation>ソニックの設定(&amp;N)...</translation>
    </message>
    <message>
        <source>Sonde</source>
        <translation>ゾンデ</translation>
    </message>
    <message>
        <source>Sonde &amp;Database...</source>
        <translation>ゾンデデータベース(&amp;D)...</translation>
    </message>
    <message>
        <source>Sonde Diameter</source>
        <translation>ゾンデ径</translation>
    </message>
    <message>
        <source>Sonde Length</source>
        <translation>ゾンデ長</translation>
    </message>
    <message>
        <source>Sonde Name</source>
        <translation>ゾンデ名</translation>
    </message>
    <message>
        <source>Sonde Parameters</source>
        <translation>ゾンデパラメーター</translation>
    </message>
    <message>
        <source>Sonde Power</source>
        <translation>ゾンデ電源</translation>
    </message>
    <message>
        <source>Sonde Power Settings</source>
        <translation>ゾンデ電源の設定</translation>
    </message>
    <message>
        <source>Sonde Selection</source>
        <translation>ゾンデの選択</translation>
    </message>
    <message>
        <source>Sonde Test Utility</source>
        <translation>ゾンデテストユーティリティ</translation>
    </message>
    <message>
        <source>Sonde:</source>
        <translation>ゾンデ:</translation>
    </message>
    <message>
        <source>Sonic &amp;FPG Settings</source>
        <translation>ソニック FPG 設定(&amp;F)</translation>
    </message>
    <message>
        <source>Speed Function:</source>
        <translation>速度関数:</translation>
    </message>
    <message>
        <source>Speed:</source>
        <translation>速度:</translation>
    </message>
    <message>
        <source>Standard</source>
        <translation>標準</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>開始</translation>
    </message>
    <message>
        <source>State:</source>
        <translation>州:</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>状態</translation>
    </message>
    <message>
        <source>Strength:</source>
        <translation>強さ:</translation>
    </message>
    <message>
        <source>Supply:</source>
        <translation>電源電圧:</translation>
    </message>
    <message>
        <source>Support continuous mode</source>
        <translation>連続モードを使用</translation>
    </message>
    <message>
        <source>System Settings</source>
        <translation>システム設定</translation>
    </message>
    <message>
        <source>System Units</source>
        <translation>システム単位</translation>
    </message>
    <message>
        <source>System depth units:</source>
        <translation>システムの深度単位:</translation>
    </message>
    <message>
        <source>Temperature Differential [CPS]</source>
        <translation>温度差 [CPS]</translation>
    </message>
    <message>
        <source>Test Cable IF</source>
        <translation>IF テスト</translation>
    </message>
    <message>
        <source>Test Printer</source>
        <translation>プリンターのテスト</translation>
    </message>
    <message>
        <source>Textfeld</source>
        <translation>テキスト</translation>
    </message>
    <message>
        <source>The replay end depth has been reached! Press 'Reset' to reset the current log file or 'Finish' to close the document.</source>
        <translation>再生の終了深度に達しました。現在のログファイルを最初に戻すには「リセット」を、ドキュメントを閉じるには「完了」を押してください。</translation>
    </message>
    <message>
        <source>Threshold</source>
        <translation>しきい値</translation>
    </message>
    <message>
        <source>Threshold:</source>
        <translation>しきい値:</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>時間</translation>
    </message>
    <message>
        <source>Time Base:</source>
        <translation>時間軸:</translation>
    </message>
    <message>
        <source>Time Mode Step</source>
        <translation>時間モードのステップ</translation>
    </message>
    <message>
        <source>Time [seconds]</source>
        <translation>時間 [秒]</translation>
    </message>
    <message>
        <source>Time based</source>
        <translation>時間基準</translation>
    </message>
    <message>
        <source>Time: %.3f [s], Speed: %.3f [ft/min]</source>
        <translation>時間: %.3f [s]、速度: %.3f [ft/min]</translation>
    </message>
    <message>
        <source>Time: %.3f [s], Speed: %.3f [m/min]</source>
        <translation>時間: %.3f [s]、速度: %.3f [m/min]</translation>
    </message>
    <message>
        <source>Time: %.3f [s], Speed: out of range</source>
        <translation>時間: %.3f [s]、速度: 範囲外</translation>
    </message>
    <message>
        <source>Timescale [s]</source>
        <translation>時間スケール [s]</translation>
    </message>
    <message>
        <source>To:</source>
        <translation>終了:</translation>
    </message>
    <message>
        <source>Track Alignment</source>
        <translation>トラック配置</translation>
    </message>
    <message>
        <source>Trailer Text</source>
        <translation>トレーラーテキスト</translation>
    </message>
    <message>
        <source>Trailer Text:</source>
        <translation>トレーラーテキスト:</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>種類</translation>
    </message>
    <message>
        <source>Type of Log:</source>
        <translation>ログの種類:</translation>
    </message>
    <message>
        <source>Type:</source>
        <translation>種類:</translation>
    </message>
    <message>
        <source>UP</source>
        <translation>上昇</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>単位</translation>
    </message>
    <message>
        <source>Unit identity:</source>
        <translation>装置 ID:</translation>
    </message>
    <message>
        <source>Unit:</source>
        <translation>単位:</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>上昇</translation>
    </message>
    <message>
        <source>User Function</source>
        <translation>ユーザー関数</translation>
    </message>
    <message>
        <source>User Function:</source>
        <translation>ユーザー関数:</translation>
    </message>
    <message>
        <source>User defined Parameters:</source>
        <translation>ユーザー定義パラメーター:</translation>
    </message>
    <message>
        <source>User function</source>
        <translation>ユーザー関数</translation>
    </message>
    <message>
        <source>V</source>
        <translation>V</translation>
    </message>
    <message>
        <source>Value (CPS)</source>
        <translation>値 (CPS)</translation>
    </message>
    <message>
        <source>Value Range</source>
        <translation>値の範囲</translation>
    </message>
    <message>
        <source>Value:</source>
        <translation>値:</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>バージョン:</translation>
    </message>
    <message>
        <source>Visible</source>
        <translation>表示</translation>
    </message>
    <message>
        <source>Voltage</source>
        <translation>電圧</translation>
    </message>
    <message>
        <source>Voltage [V]</source>
        <translation>電圧 [V]</translation>
    </message>
    <message>
        <source>Warning:</source>
        <translation>警告:</translation>
    </message>
    <message>
        <source>Weight:</source>
        <translation>重量:</translation>
    </message>
    <message>
        <source>Well:</source>
        <translation>坑井:</translation>
    </message>
    <message>
        <source>Winch Parameters</source>
        <translation>ウインチパラメーター</translation>
    </message>
    <message>
        <source>Winch:</source>
        <translation>ウインチ:</translation>
    </message>
    <message>
        <source>Window</source>
        <translation>ウィンドウ</translation>
    </message>
    <message>
        <source>Window Zoom</source>
        <translation>ウィンドウズーム</translation>
    </message>
    <message>
        <source>Witnessed by:</source>
        <translation>立会者:</translation>
    </message>
    <message>
        <source>Wrap C&amp;urves</source>
        <translation>カーブの折り返し(&amp;U)</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>[V]</source>
        <translation>[V]</translation>
    </message>
    <message>
        <source>[mA]</source>
        <translation>[mA]</translation>
    </message>
    <message>
        <source>cm</source>
        <translation>cm</translation>
    </message>
    <message>
        <source>from</source>
        <translation>から</translation>
    </message>
    <message>
        <source>ft</source>
        <translation>ft</translation>
    </message>
    <message>
        <source>imperial</source>
        <translation>ヤード・ポンド法</translation>
    </message>
    <message>
        <source>m</source>
        <translation>m</translation>
    </message>
    <message>
        <source>metric</source>
        <translation>メートル法</translation>
    </message>
    <message>
        <source>mft</source>
        <translation>mft</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>negative</source>
        <translation>負</translation>
    </message>
    <message>
        <source>none</source>
        <translation>なし</translation>
    </message>
    <message>
        <source>p/rev</source>
        <translation>p/rev</translation>
    </message>
    <message>
        <source>positive</source>
        <translation>正</translation>
    </message>
    <message>
        <source>to</source>
        <translation>まで</translation>
    </message>
    <message>
        <source>µs</source>
        <translation>µs</translation>
    </message>
</context>
</TS>
